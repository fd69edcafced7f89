// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "tests/support/memory_settings.h"

namespace tarnwick::testing {

std::string MemorySettings::GetSetting(std::string_view key,
                                       std::string_view default_value) {
  reads.emplace_back(key);
  const auto it = values.find(key);
  return it == values.end() ? std::string(default_value) : it->second;
}

void MemorySettings::SaveSetting(std::string_view key, std::string_view value) {
  writes.emplace_back(std::string(key), std::string(value));
  values[std::string(key)] = std::string(value);
}

std::vector<std::string> MemorySettings::WritesOf(std::string_view key) const {
  std::vector<std::string> written;
  for (const auto& [written_key, value] : writes) {
    if (written_key == key) written.push_back(value);
  }
  return written;
}

}  // namespace tarnwick::testing
