// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "filelist/name_characters.h"

#include <gtest/gtest.h>

#include <string>

namespace tarnwick {
namespace {

TEST(NameCharactersTest, DecodesUtf8AndMarksStrayBytes) {
  struct Case {
    std::string text;
    std::u32string codes;
    int stray_count;
  };
  const Case cases[] = {
      {"aZ", U"aZ", 0},
      {"é漢😀", U"é漢😀", 0},
      {"\xff", U"\xdcff", 1},
      {"a\xc3", U"a\xdcc3", 1},                     // cut short at the end
      {"\xc3(", U"\xdcc3(", 1},                     // no continuation byte
      {"\xc0\xaf", U"\xdcc0\xdcaf", 2},             // overlong
      {"\xed\xa0\x80", U"\xdced\xdca0\xdc80", 3},   // a surrogate
      {"\xf4\x90\x80\x80", U"\xdcf4\xdc90\xdc80\xdc80", 4},  // above U+10FFFF
  };
  for (const Case& c : cases) {
    std::u32string codes;
    int stray = 0;
    std::size_t position = 0;
    while (position < c.text.size()) {
      const NameCharacter character = NextNameCharacter(c.text, position);
      codes.push_back(character.code);
      if (!character.valid) ++stray;
    }
    EXPECT_EQ(codes, c.codes) << c.text;
    EXPECT_EQ(stray, c.stray_count) << c.text;
  }
}

TEST(NameCharactersTest, FoldsLettersToUpperCase) {
  EXPECT_EQ(FoldedName("abcXYZ_09"), U"ABCXYZ_09");
  EXPECT_EQ(FoldedName("àéÿ÷"), U"ÀÉŸ÷");
  EXPECT_EQ(FoldedName("āłž"), U"ĀŁŽ");
  EXPECT_EQ(FoldedName("αβγςάώ"), U"ΑΒΓΣΆΏ");
  EXPECT_EQ(FoldedName("жяёџѣ"), U"ЖЯЁЏѢ");
  EXPECT_EQ(FoldedName("漢字ß"), U"漢字ß");
}

}  // namespace
}  // namespace tarnwick
