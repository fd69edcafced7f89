// The settings store on QSettings (INI file "Merriveld", group "Tarnwick").
#ifndef TARNWICK_APP_QT_SETTINGS_STORE_H_
#define TARNWICK_APP_QT_SETTINGS_STORE_H_

#include "app/settings_store.h"

namespace tarnwick {

class QtSettingsStore : public SettingsStore {
 public:
  std::string GetSetting(std::string_view key,
                         std::string_view default_value) override;
  void SaveSetting(std::string_view key, std::string_view value) override;
};

}  // namespace tarnwick

#endif  // TARNWICK_APP_QT_SETTINGS_STORE_H_
