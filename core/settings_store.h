// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// The settings store: named string values under "Merriveld" / "Tarnwick",
// written through at once, nothing cached.
#ifndef TARNWICK_CORE_SETTINGS_STORE_H_
#define TARNWICK_CORE_SETTINGS_STORE_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace tarnwick {

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  // The stored value, or default_value when the key is absent.
  virtual std::string GetSetting(std::string_view key,
                                 std::string_view default_value) = 0;
  // Stores value at once, replacing any earlier one.
  virtual void SaveSetting(std::string_view key, std::string_view value) = 0;
};

// The keys, each with its default and conversion.
namespace settings {
inline constexpr char kCombo1[] = "Combo1";              // 16-bit, default 0
inline constexpr char kOutputFolder[] = "Output Folder";  // default: desktop
inline constexpr char kLastFolderDot[] = "LastFolderDot";  // default ""
inline constexpr char kLastFolder[] = "LastFolder";        // default ""
inline constexpr char kExtension[] = "Extension";          // default "*"
inline constexpr char kForm3Check1[] = "Form3Check1";      // 32-bit, default 0

inline constexpr char kExtensionDefault[] = "*";
}  // namespace settings

// Conversions of stored text to numbers: decimal digits with an optional
// sign, blanks (spaces, tabs) around them allowed and ignored. Anything else
// ("abc", "1.5", the empty text) throws std::invalid_argument ("Type
// mismatch: ..."); a number outside the type's range throws
// std::out_of_range ("Overflow: ..."); both descriptions quote the text.
std::int16_t ToInt16(std::string_view text);
std::int32_t ToInt32(std::string_view text);

}  // namespace tarnwick

#endif  // TARNWICK_CORE_SETTINGS_STORE_H_
