// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "filelist/add_files.h"

#include "files/path_helpers.h"
#include "files/platform.h"

namespace tarnwick {
namespace {

// UTF-16 units of a UTF-8 text: one per character, two for a character
// beyond the basic plane (a four-byte sequence).
std::size_t Utf16Length(const std::string& text) {
  std::size_t units = 0;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte & 0xC0) != 0x80) ++units;
    if ((byte & 0xF8) == 0xF0) ++units;
  }
  return units;
}

}  // namespace

std::size_t SelectionBufferLength(const std::vector<std::string>& parts) {
  std::size_t length = 0;
  for (const std::string& part : parts) length += Utf16Length(part) + 1;
  return length;
}

AddFilesPlan PlanAddFiles(const std::vector<std::string>& parts) {
  AddFilesPlan plan;
  if (parts.empty() || (parts.size() == 1 && parts.front().empty())) {
    return plan;
  }
  if (SelectionBufferLength(parts) > kOpenFileBufferSize) {
    plan.outcome = AddFilesOutcome::kTooMany;
    return plan;
  }
  plan.outcome = AddFilesOutcome::kAdded;
  if (parts.size() == 1) {
    plan.entries.push_back(parts.front());
    return plan;
  }
  const std::string& folder = parts.front();
  plan.entries.reserve(parts.size() - 1);
  for (std::size_t i = 1; i < parts.size(); ++i) {
    plan.entries.push_back(FixBackslashes(folder + kSeparatorText + parts[i]));
  }
  return plan;
}

}  // namespace tarnwick
