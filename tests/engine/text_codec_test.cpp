// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "engine/text_codec.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "tests/support/temp_dir.h"

namespace tarnwick {
namespace {

using testing::U16;

bool HasByteEscape(std::u16string_view text) {
  for (char16_t u : text) {
    if (u >= 0xDC80 && u <= 0xDCFF) return true;
  }
  return false;
}

struct DecodeCase {
  const char* name;
  std::string bytes;
  std::u16string text;
};

TEST(DecodeUtf8Test, ValidSequencesAndByteEscapes) {
  const DecodeCase cases[] = {
      {"ascii", "a b\r\n\t", u"a b\r\n\t"},
      {"zero byte", std::string("a\0b", 3), std::u16string(u"a\0b", 3)},
      {"two bytes", "\xC3\xA9", u"\u00E9"},
      {"three bytes", "\xE2\x82\xAC", u"\u20AC"},
      {"mark", "\xEF\xBB\xBF" "a", u"\uFEFFa"},
      {"four bytes", "\xF0\x9F\x98\x80", u"\U0001F600"},
      {"highest", "\xF4\x8F\xBF\xBF", u"\U0010FFFF"},
      {"lone continuation", "\xA9", u"\xDCA9"},
      {"lone lead at end", "a\xC3", u"a\xDCC3"},
      {"lead before ascii", "\xC3" "a", u"\xDCC3" "a"},
      {"overlong two", "\xC0\x80", u"\xDCC0\xDC80"},
      {"overlong three", "\xE0\x80\x80", u"\xDCE0\xDC80\xDC80"},
      {"overlong four", "\xF0\x8F\xBF\xBF", u"\xDCF0\xDC8F\xDCBF\xDCBF"},
      {"encoded surrogate", "\xED\xA0\x80", u"\xDCED\xDCA0\xDC80"},
      {"past U+10FFFF", "\xF4\x90\x80\x80", u"\xDCF4\xDC90\xDC80\xDC80"},
      {"F5 and up", "\xF5\xFF\xFE", u"\xDCF5\xDCFF\xDCFE"},
      {"truncated three then valid", "\xE2\x82\xC3\xA9",
       u"\xDCE2\xDC82\u00E9"},
      {"truncated four at end", "\xF0\x9F\x98", u"\xDCF0\xDC9F\xDC98"},
      {"latin-1 word", "caf\xE9!", u"caf\xDCE9!"},
      {"long ascii then accent", "abcdefghijklmnop\xC3\xA9qrstuvwxyz",
       u"abcdefghijklmnop\u00E9qrstuvwxyz"},
  };
  for (const DecodeCase& c : cases) {
    EXPECT_EQ(DecodeUtf8(c.bytes), c.text) << c.name;
    EXPECT_EQ(EncodeUtf8(c.text), c.bytes) << c.name;
    EXPECT_EQ(IsValidUtf8(c.bytes), !HasByteEscape(c.text)) << c.name;
  }
}

TEST(EncodeUtf8Test, LoneSurrogates) {
  struct Case {
    const char* name;
    std::u16string text;
    std::string bytes;
  };
  const Case cases[] = {
      {"byte escapes write their byte", u"\xDC80\xDCFF", "\x80\xFF"},
      {"escapes may join into a character", u"\xDCC3\xDCA9", "\xC3\xA9"},
      {"lone high", u"a\xD800" "b", "a?b"},
      {"high at end", u"a\xDBFF", "a?"},
      {"low outside the escapes", u"\xDC00\xDC7F\xDD00\xDFFF", "????"},
      {"high before escape pairs up", u"\xD83D\xDE00", "\xF0\x9F\x98\x80"},
      {"two highs", u"\xD800\xD800\xDC00", "?\xF0\x90\x80\x80"},
      {"mark", u"\uFEFF", "\xEF\xBB\xBF"},
  };
  for (const Case& c : cases) EXPECT_EQ(EncodeUtf8(c.text), c.bytes) << c.name;
}

TEST(EncodeUtf8Test, DecodingThenEncodingGivesEveryByteStringBack) {
  std::mt19937 random(20261208);
  for (int round = 0; round < 2000; ++round) {
    std::string bytes(random() % 64, '\0');
    for (char& b : bytes) {
      // Favour the bytes that start and continue sequences.
      const unsigned pick = random() % 4;
      b = static_cast<char>(pick == 0   ? random() % 0x80
                            : pick == 1 ? 0x80 + random() % 0x40
                                        : random() % 0x100);
    }
    const std::u16string text = DecodeUtf8(bytes);
    ASSERT_EQ(EncodeUtf8(text), bytes) << "round " << round;
    ASSERT_EQ(IsValidUtf8(bytes), !HasByteEscape(text)) << "round " << round;
  }
}

TEST(DecodeUtf16Test, BothByteOrdersKeepTheMark) {
  EXPECT_EQ(DecodeUtf16(std::string("\xFF\xFE" "A\0B\0", 6), /*big_endian=*/false),
            u"\uFEFFAB");
  EXPECT_EQ(DecodeUtf16(std::string("\xFE\xFF\0A\0B", 6), /*big_endian=*/true),
            u"\uFEFFAB");
  EXPECT_EQ(DecodeUtf16(std::string("\xFF\xFE\x3D\xD8\x00\xDE", 6), false),
            u"\uFEFF\U0001F600");
  // A last odd byte becomes its escape, so that it is written back.
  EXPECT_EQ(DecodeUtf16(std::string("\xFF\xFE" "A\0\xE9", 5), false),
            u"\uFEFFA\xDCE9");
}

TEST(TranscodeUtf16ToUtf8Test, MatchesDecodingThenEncoding) {
  std::mt19937 random(16);
  const char16_t units[] = {u'a', u' ', u'\r', u'\n', u'\u00E9', u'\u20AC',
                            u'\xD83D', u'\xDE00', u'\xFEFF', u'\x7F', u'\x80'};
  for (int round = 0; round < 5000; ++round) {
    std::u16string text;
    const bool lone_allowed = round % 3 == 0;
    for (int n = static_cast<int>(random() % 150); n > 0; --n) {
      if (random() % 4 != 0) {
        text.append(1 + random() % 40, u'x');  // long runs take the fast path
      } else if (random() % 2 == 0) {
        text += u"\U0001F600";
      } else {
        const char16_t u = units[random() % std::size(units)];
        if (lone_allowed || (u != u'\xD83D' && u != u'\xDE00')) text += u;
      }
    }
    const bool big_endian = round % 2 == 0;
    std::string bytes;
    for (char16_t u : text) {
      const char high = static_cast<char>(u >> 8), low = static_cast<char>(u & 0xFF);
      bytes += big_endian ? high : low;
      bytes += big_endian ? low : high;
    }
    std::string utf8;
    const bool ok = TranscodeUtf16ToUtf8(bytes, big_endian, utf8);
    ASSERT_EQ(ok, IsWellFormedUtf16(text)) << "round " << round;
    if (ok) {
      ASSERT_EQ(utf8, EncodeUtf8(text)) << "round " << round;
    }
  }
  std::string utf8;
  EXPECT_FALSE(TranscodeUtf16ToUtf8("a\0b", false, utf8));  // an odd byte
}

TEST(DetectByteOrderMarkTest, OnlyARealMarkCounts) {
  EXPECT_EQ(DetectByteOrderMark("\xFF\xFE"), ByteOrderMark::kUtf16LittleEndian);
  EXPECT_EQ(DetectByteOrderMark("\xFE\xFF" "ab"), ByteOrderMark::kUtf16BigEndian);
  EXPECT_EQ(DetectByteOrderMark("\xFF"), ByteOrderMark::kNone);
  EXPECT_EQ(DetectByteOrderMark("\xFF" "a"), ByteOrderMark::kNone);
  EXPECT_EQ(DetectByteOrderMark("\xFE\xFE"), ByteOrderMark::kNone);
  EXPECT_EQ(DetectByteOrderMark("\xEF\xBB\xBF"), ByteOrderMark::kNone);
  EXPECT_EQ(DetectByteOrderMark(""), ByteOrderMark::kNone);
}

TEST(IsWellFormedUtf16Test, LoneSurrogatesAndEscapes) {
  EXPECT_TRUE(IsWellFormedUtf16(u""));
  EXPECT_TRUE(IsWellFormedUtf16(U16("caf\xC3\xA9 \xF0\x9F\x98\x80")));
  EXPECT_FALSE(IsWellFormedUtf16(u"\xDCE9"));
  EXPECT_FALSE(IsWellFormedUtf16(u"a\xD800"));
  EXPECT_FALSE(IsWellFormedUtf16(u"\xDE00\xD83D"));
}

}  // namespace
}  // namespace tarnwick
