// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "dialogs/dialog_logic.h"

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"

namespace tarnwick {
namespace {

using testing::U16;
using testing::U8;

struct MarkerCase {
  const char* input;
  const char* expected;
};

TEST(ConvertTabMarkers, TurnsEveryExactMarkerIntoOneTab) {
  const MarkerCase cases[] = {
      {"", ""},
      {"a<tab>b", "a\tb"},
      {"<tab><tab>", "\t\t"},
      {"<<tab>>", "<\t>"},
      {"<tab>", "\t"},
      {"x<tab>", "x\t"},
      {"<ta<tab>b>", "<ta\tb>"},
      {"<TAB>", "<TAB>"},
      {"<Tab>", "<Tab>"},
      {"<tab", "<tab"},
      {"tab>", "tab>"},
      {"< tab>", "< tab>"},
      {"a<tab>\r\nb<tab>", "a\t\r\nb\t"},
      {"\xC3\xA9<tab>\xE2\x82\xAC", "\xC3\xA9\t\xE2\x82\xAC"},
      {"   ", "   "},
  };
  for (const MarkerCase& c : cases) {
    EXPECT_EQ(U8(ConvertTabMarkers(U16(c.input))), c.expected)
        << "input: " << c.input;
  }
}

TEST(ConvertTabMarkers, HandlesLongTexts) {
  std::u16string text;
  for (int i = 0; i < 10000; ++i) text += u"ab<tab>";
  const std::u16string converted = ConvertTabMarkers(text);
  ASSERT_EQ(converted.size(), 30000u);
  EXPECT_EQ(converted.substr(0, 6), u"ab\tab\t");
}

struct LineCase {
  const char16_t* input;
  std::size_t lines;
};

TEST(CountLines, SplitsAtCrLfOnly) {
  const LineCase cases[] = {
      {u"", 0},
      {u"a", 1},
      {u" ", 1},
      {u"a\r\nb", 2},
      {u"a\r\n", 2},
      {u"\r\n", 2},
      {u"\r\n\r\n", 3},
      {u"a\rb", 1},
      {u"a\nb", 1},
      {u"\n\r", 1},
      {u"a\r\r\nb", 2},
      {u"a\r\n\nb", 2},
      {u"a\tb\r\nc", 2},
  };
  for (const LineCase& c : cases) {
    EXPECT_EQ(CountLines(c.input), c.lines) << "input: " << U8(c.input);
  }
}

TEST(CountLines, CountsMarkersAfterConversionAsPartOfTheirLine) {
  EXPECT_EQ(CountLines(ConvertTabMarkers(u"a<tab>b\r\nc")), 2u);
  EXPECT_EQ(CountLines(ConvertTabMarkers(u"<tab>")), 1u);
}

TEST(BoxTextWithCrLf, TurnsEveryLineBreakOfTheBoxIntoCrLf) {
  const struct {
    std::u16string raw;
    std::u16string expected;
  } cases[] = {
      {u"", u""},
      {u"one", u"one"},
      {u"a\nb", u"a\r\nb"},
      {u"a\u2029b", u"a\r\nb"},
      {u"a\u2028b", u"a\r\nb"},
      {u"a\n", u"a\r\n"},
      {u"\n\n", u"\r\n\r\n"},
      {u"a\u00A0b", u"a\u00A0b"},
      {u"<tab>\t", u"<tab>\t"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(BoxTextWithCrLf(c.raw), c.expected) << "raw: " << U8(c.raw);
  }
}

TEST(NextPointerSetting, HandOverButtonsStandardOverSurfaceNeverWhenBusy) {
  using enum PointerSetting;
  using enum PointerTarget;
  const struct {
    PointerSetting current;
    PointerTarget target;
    PointerSetting expected;
  } cases[] = {
      {kStandard, kPushButton, kCustom},  {kCustom, kPushButton, kCustom},
      {kCustom, kSurface, kStandard},     {kStandard, kSurface, kStandard},
      {kHourglass, kPushButton, kHourglass},
      {kHourglass, kSurface, kHourglass},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(NextPointerSetting(c.current, c.target), c.expected)
        << "from " << static_cast<int>(c.current) << " over "
        << static_cast<int>(c.target);
  }
}

}  // namespace
}  // namespace tarnwick
