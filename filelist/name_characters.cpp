// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "filelist/name_characters.h"

namespace tarnwick {

namespace {

constexpr char32_t kStrayByteBase = 0xDC00;

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

}  // namespace

NameCharacter NextNameCharacter(std::string_view text, std::size_t& position) {
  const auto lead = static_cast<unsigned char>(text[position]);
  const NameCharacter stray{kStrayByteBase + lead, false};
  if (lead < 0x80) {
    ++position;
    return {lead, true};
  }
  std::size_t length = 0;
  char32_t code = 0;
  char32_t smallest = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, code = lead & 0x1F, smallest = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, code = lead & 0x0F, smallest = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, code = lead & 0x07, smallest = 0x10000;
  } else {
    ++position;
    return stray;
  }
  if (text.size() - position < length) {
    ++position;
    return stray;
  }
  for (std::size_t i = 1; i < length; ++i) {
    const auto byte = static_cast<unsigned char>(text[position + i]);
    if (!IsContinuation(byte)) {
      ++position;
      return stray;
    }
    code = (code << 6) | (byte & 0x3F);
  }
  if (code < smallest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
    ++position;
    return stray;
  }
  position += length;
  return {code, true};
}

char32_t UpperCaseLetter(char32_t code) {
  if (code < 0x80) {
    return (code >= 'a' && code <= 'z') ? code - 0x20 : code;
  }
  // Latin-1 letters à..þ except the division sign; ÿ.
  if (code >= 0xE0 && code <= 0xFE && code != 0xF7) return code - 0x20;
  if (code == 0xFF) return 0x178;
  // Latin Extended-A: pairs of capital (even) and small (odd) letters.
  if ((code >= 0x100 && code <= 0x137) || (code >= 0x14A && code <= 0x177)) {
    return code & ~char32_t{1};
  }
  if ((code >= 0x139 && code <= 0x148) || (code >= 0x179 && code <= 0x17E)) {
    return (code % 2 == 0) ? code - 1 : code;
  }
  // Greek: accented small letters, then α..ω (final sigma to sigma).
  if (code == 0x3AC) return 0x386;
  if (code >= 0x3AD && code <= 0x3AF) return code - 0x25;
  if (code == 0x3CC) return 0x38C;
  if (code == 0x3CD || code == 0x3CE) return code - 0x3F;
  if (code == 0x3C2) return 0x3A3;
  if (code >= 0x3B1 && code <= 0x3CB) return code - 0x20;
  // Cyrillic: а..я, ѐ..џ, then the capital/small pairs from Ѡ.
  if (code >= 0x430 && code <= 0x44F) return code - 0x20;
  if (code >= 0x450 && code <= 0x45F) return code - 0x50;
  if (code >= 0x460 && code <= 0x481) return code & ~char32_t{1};
  if (code >= 0x48A && code <= 0x4BF) return code & ~char32_t{1};
  if (code >= 0x4D0 && code <= 0x52F) return code & ~char32_t{1};
  return code;
}

std::u32string FoldedName(std::string_view name) {
  std::u32string folded;
  folded.reserve(name.size());
  std::size_t position = 0;
  while (position < name.size()) {
    folded.push_back(UpperCaseLetter(NextNameCharacter(name, position).code));
  }
  return folded;
}

}  // namespace tarnwick
