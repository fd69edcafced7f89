// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "tests/engine/varied_text.h"

#include <iterator>

namespace tarnwick::testing {
namespace {

const char* const kValidPieces[] = {
    "a", "Z", "cat", "Cat", "dog", "aa", "5", "0123", " ", "  ", "   ", "\t",
    "\r\n", "\n", "\r", "\r\n\r\n", "\n\n", "\xC3\xA9", "\xE2\x82\xAC",
    "\xF0\x9F\x98\x80", "\xEF\xBB\xBF", "?", ".", "x", "abcdefghijklmnopqrst",
};
const char* const kInvalidPieces[] = {
    "\xC3", "\xA9", "\x80", "\xBF", "\xC0\x80", "\xE0\x80\x80", "\xED\xA0\x80",
    "\xED\xBF\xBF", "\xF4\x90\x80\x80", "\xF0\x9F\x98", "\xE2\x82", "\xF5",
    "\xFF", "\xFE", "\xFF\xFE", "\xE9",
};

}  // namespace

std::string VariedBytes(std::mt19937& random, int pieces, Validity validity) {
  std::string bytes;
  for (int k = 0; k < pieces; ++k) {
    const auto pick = random() % 10;
    if (validity == Validity::kAnyBytes && pick == 0) {
      bytes += kInvalidPieces[random() % std::size(kInvalidPieces)];
    } else if (validity == Validity::kAnyBytes && pick == 1) {
      for (unsigned n = random() % 4; n > 0; --n) {
        bytes.push_back(static_cast<char>(random() % 256));
      }
    } else {
      bytes += kValidPieces[random() % std::size(kValidPieces)];
    }
  }
  return bytes;
}

}  // namespace tarnwick::testing
