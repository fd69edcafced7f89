// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/argument_text.h"

#include "dialogs/dialog_logic.h"
#include "engine/text_codec.h"

namespace tarnwick::cli {

std::u16string DialogText(std::string_view argument) {
  const std::u16string decoded = DecodeUtf8(argument);
  std::u16string text;
  text.reserve(decoded.size() + decoded.size() / 8);
  for (std::size_t i = 0; i < decoded.size(); ++i) {
    const char16_t unit = decoded[i];
    if (unit == u'\r' && i + 1 < decoded.size() && decoded[i + 1] == u'\n') {
      continue;  // the LF that follows writes the pair
    }
    if (unit == u'\n') {
      text.append(u"\r\n");
    } else {
      text.push_back(unit);
    }
  }
  return ConvertTabMarkers(text);
}

}  // namespace tarnwick::cli
