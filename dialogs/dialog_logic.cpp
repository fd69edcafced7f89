// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "dialogs/dialog_logic.h"

namespace tarnwick {

std::u16string ConvertTabMarkers(std::u16string_view text) {
  const std::u16string_view marker(kTabMarker);
  std::u16string result;
  result.reserve(text.size());
  std::size_t from = 0;
  for (;;) {
    const std::size_t at = text.find(marker, from);
    if (at == std::u16string_view::npos) break;
    result.append(text.substr(from, at - from));
    result.push_back(u'\t');
    from = at + marker.size();
  }
  result.append(text.substr(from));
  return result;
}

std::size_t CountLines(std::u16string_view text) {
  if (text.empty()) return 0;
  std::size_t lines = 1;
  for (std::size_t at = text.find(u"\r\n"); at != std::u16string_view::npos;
       at = text.find(u"\r\n", at + 2)) {
    ++lines;
  }
  return lines;
}

std::u16string BoxTextWithCrLf(std::u16string_view raw) {
  std::u16string result;
  result.reserve(raw.size() + raw.size() / 16);
  for (const char16_t unit : raw) {
    if (unit == u'\n' || unit == u'\u2029' || unit == u'\u2028') {
      result.append(u"\r\n");
    } else {
      result.push_back(unit);
    }
  }
  return result;
}

PointerSetting NextPointerSetting(PointerSetting current,
                                  PointerTarget target) {
  if (current == PointerSetting::kHourglass) return current;
  return target == PointerTarget::kPushButton ? PointerSetting::kCustom
                                              : PointerSetting::kStandard;
}

}  // namespace tarnwick
