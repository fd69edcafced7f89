// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// Characters of file names: UTF-8 decoding that never fails, and the
// upper-case fold that case-insensitive comparisons of names use.
#ifndef TARNWICK_FILELIST_NAME_CHARACTERS_H_
#define TARNWICK_FILELIST_NAME_CHARACTERS_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace tarnwick {

struct NameCharacter {
  // The Unicode code point, or for a byte that is not part of a valid UTF-8
  // sequence U+DC00 plus that byte.
  char32_t code = 0;
  bool valid = true;  // false for such a stray byte
};

// Decodes the character that starts at position and moves position past it
// (past one byte for a stray byte). Overlong forms, surrogates and codes
// above U+10FFFF are stray bytes. position must be below text.size().
NameCharacter NextNameCharacter(std::string_view text, std::size_t& position);

// The upper-case form of a letter of the Latin, Greek or Cyrillic alphabets
// (the letters that have a plain one-to-one upper case); any other code
// unchanged.
char32_t UpperCaseLetter(char32_t code);

// The name as upper-cased characters, for comparing names without regard to
// case.
std::u32string FoldedName(std::string_view name);

}  // namespace tarnwick

#endif  // TARNWICK_FILELIST_NAME_CHARACTERS_H_
