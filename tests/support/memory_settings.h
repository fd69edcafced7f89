// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// A settings store held in memory, with a log of every write.
#ifndef TARNWICK_TESTS_SUPPORT_MEMORY_SETTINGS_H_
#define TARNWICK_TESTS_SUPPORT_MEMORY_SETTINGS_H_

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "core/settings_store.h"

namespace tarnwick::testing {

class MemorySettings : public SettingsStore {
 public:
  std::string GetSetting(std::string_view key,
                         std::string_view default_value) override;
  void SaveSetting(std::string_view key, std::string_view value) override;

  // The values written under key, oldest first.
  std::vector<std::string> WritesOf(std::string_view key) const;

  std::map<std::string, std::string, std::less<>> values;
  std::vector<std::pair<std::string, std::string>> writes;
  std::vector<std::string> reads;
};

}  // namespace tarnwick::testing

#endif  // TARNWICK_TESTS_SUPPORT_MEMORY_SETTINGS_H_
