// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/settings_store.h"

#include <limits>
#include <stdexcept>
#include <string>

namespace tarnwick {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Decimal whole number with optional sign; blanks around it are allowed, as
// the classic conversion allows them. Anything else is a type mismatch; a
// number past [low, high] is an overflow.
long long ToWholeNumber(std::string_view text, long long low, long long high) {
  const std::string shown = "\"" + std::string(text) + "\"";
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  std::string_view body = text.substr(begin, end - begin);

  bool negative = false;
  if (!body.empty() && (body.front() == '-' || body.front() == '+')) {
    negative = body.front() == '-';
    body.remove_prefix(1);
  }
  if (body.empty()) {
    throw std::invalid_argument("Type mismatch: " + shown +
                                " is not a whole number");
  }
  for (const char c : body) {
    if (c < '0' || c > '9') {
      throw std::invalid_argument("Type mismatch: " + shown +
                                  " is not a whole number");
    }
  }
  while (body.size() > 1 && body.front() == '0') body.remove_prefix(1);
  // Eleven digits exceed every range asked for and still fit a long long.
  const bool overflow = body.size() > 11;
  long long value = 0;
  if (!overflow) {
    for (const char c : body) value = value * 10 + (c - '0');
    if (negative) value = -value;
  }
  if (overflow || value < low || value > high) {
    throw std::out_of_range("Overflow: " + shown + " is outside " +
                            std::to_string(low) + " to " +
                            std::to_string(high));
  }
  return value;
}

}  // namespace

std::int16_t ToInt16(std::string_view text) {
  return static_cast<std::int16_t>(
      ToWholeNumber(text, std::numeric_limits<std::int16_t>::min(),
                    std::numeric_limits<std::int16_t>::max()));
}

std::int32_t ToInt32(std::string_view text) {
  return static_cast<std::int32_t>(
      ToWholeNumber(text, std::numeric_limits<std::int32_t>::min(),
                    std::numeric_limits<std::int32_t>::max()));
}

}  // namespace tarnwick
