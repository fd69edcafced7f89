// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// The settings store on QSettings: the per-user INI file "Merriveld.ini" in
// the user's configuration folder, group "Tarnwick", keys as named. Every
// call opens the file afresh; every write is synced at once.
//
// When the file cannot be written (a read-only or missing configuration
// folder), the program goes on: one warning goes to the error stream, the
// value is not kept anywhere, and later reads give what the file holds (the
// defaults when it holds nothing). Values that are not UTF-8 (paths are byte
// strings) are stored as bytes and come back exactly.
#ifndef TARNWICK_UI_QT_SETTINGS_STORE_H_
#define TARNWICK_UI_QT_SETTINGS_STORE_H_

#include "core/settings_store.h"

namespace tarnwick {

class QtSettingsStore : public SettingsStore {
 public:
  std::string GetSetting(std::string_view key,
                         std::string_view default_value) override;
  void SaveSetting(std::string_view key, std::string_view value) override;
};

}  // namespace tarnwick

#endif  // TARNWICK_UI_QT_SETTINGS_STORE_H_
