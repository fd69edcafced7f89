// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "engine/text_transforms.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

#include "engine/text_codec.h"
#include "tests/engine/reference_model.h"
#include "tests/engine/varied_text.h"

namespace tarnwick {
namespace {

using testing::ReferenceDelete;
using testing::ReferenceEmptyLines;
using testing::ReferenceReplace;
using testing::ReferenceSqueeze;
using testing::Validity;
using testing::VariedBytes;

constexpr std::u16string_view kLetters = testing::kReferenceLetters;
constexpr std::u16string_view kDigits = testing::kReferenceDigits;
constexpr std::u16string_view kKeep = testing::kReferenceKeepSet;

std::string Ascii(std::u16string_view set) { return std::string(set.begin(), set.end()); }

struct Transform {
  const char* name;
  std::function<void(std::string&)> on_bytes;
  std::function<void(std::u16string&)> on_units;
  std::function<std::u16string(std::u16string_view)> reference;
};

std::vector<Transform> Transforms() {
  std::vector<Transform> all;
  auto filter = [&](const char* name, std::u16string_view view, bool keep) {
    const std::u16string set(view);
    const AsciiSet members(Ascii(set));
    all.push_back({name,
                   [=](std::string& t) { DeleteCharacters(t, members, keep); },
                   [=](std::u16string& t) { DeleteCharacters(t, members, keep); },
                   [=](std::u16string_view t) { return ReferenceDelete(t, set, keep); }});
  };
  filter("spaces", u" ", false);
  filter("tabs", u"\t", false);
  filter("letters", kLetters, false);
  filter("digits", kDigits, false);
  filter("letters and digits", std::u16string(kLetters) + std::u16string(kDigits), false);
  filter("all but the keep set", kKeep, true);
  all.push_back({"squeeze", [](std::string& t) { SqueezeSpaces(t); },
                 [](std::u16string& t) { SqueezeSpaces(t); }, ReferenceSqueeze});
  all.push_back({"empty lines", [](std::string& t) { RemoveEmptyLines(t); },
                 [](std::u16string& t) { RemoveEmptyLines(t); },
                 ReferenceEmptyLines});
  return all;
}

TEST(TextTransformsTest, EdgeCases) {
  struct Case {
    const char* transform;
    std::u16string text;
    std::u16string result;
  };
  const Case cases[] = {
      {"spaces", u"a b\tc", u"ab\tc"},
      {"letters", u"r\u00E9sum\u00E9 42", u"\u00E9\u00E9 42"},
      {"digits", u"x\u0660 1.5", u"x\u0660 ."},
      {"all but the keep set", u"\uFEFFCaf\u00E9, ok!\r\n\t2", u"Caf ok\r\n\t2"},
      {"squeeze", u"a b  c   d    e     f      g", u"a b c d e f g"},
      {"squeeze", u"  lead and trail  ", u" lead and trail "},
      {"empty lines", u"a\r\n\r\n\r\nb", u"a\r\nb"},
      {"empty lines", u"\r\n\r\na", u"\r\na"},
      {"empty lines", u"a\n\nb", u"a\nb"},
      {"empty lines", u"w1\r\n\n\r\nw2", u"w1\r\nw2"},
      {"empty lines", u"w1\n\r\n\nw2", u"w1\nw2"},
      {"empty lines", u"a\r\rb\r\r\n", u"a\r\rb\r\r\n"},
      {"empty lines", u"a\r\n\r\r\nb", u"a\r\n\r\r\nb"},
      {"empty lines", u"a\r\n \r\n\t\r\nb", u"a\r\n \r\n\t\r\nb"},
      {"empty lines", u"\n\n\na\n\n", u"\na\n"},
      {"empty lines", u"", u""},
  };
  const std::vector<Transform> transforms = Transforms();
  for (const Case& c : cases) {
    for (const Transform& t : transforms) {
      if (std::string(t.name) != c.transform) continue;
      std::u16string text = c.text;
      t.on_units(text);
      EXPECT_EQ(text, c.result) << c.transform;
      EXPECT_EQ(t.reference(c.text), c.result) << c.transform;
    }
  }
}

TEST(ReplaceAllTest, OnePassWithoutOverlap) {
  struct Case {
    std::u16string text, find, replacement, result;
    std::size_t count;
  };
  const Case cases[] = {
      {u"cat Cat", u"cat", u"dog", u"dog Cat", 1},
      {u"aaa", u"aa", u"a", u"aa", 1},
      {u"aaaa", u"aa", u"aaa", u"aaaaaa", 2},
      {u"abab", u"ab", u"", u"", 2},
      {u"a", u"a", u"aa", u"aa", 1},
      {u"abc", u"", u"x", u"abc", 0},
      {u"abc", u"d", u"x", u"abc", 0},
      {u"x\u00E9y\u00E9", u"\u00E9", u"e\u0301", u"xe\u0301ye\u0301", 2},
  };
  for (const Case& c : cases) {
    std::u16string text = c.text;
    EXPECT_EQ(ReplaceAll<char16_t>(text, c.find, c.replacement), c.count);
    EXPECT_EQ(text, c.result);
    std::string bytes = EncodeUtf8(c.text);
    ReplaceAll<char>(bytes, EncodeUtf8(c.find), EncodeUtf8(c.replacement));
    EXPECT_EQ(bytes, EncodeUtf8(c.result));
  }
}

// The operations work on the bytes of 8-bit text; that must give exactly
// the bytes that decoding, transforming the 16-bit text and encoding give.
TEST(TextTransformsTest, BytesMatchTheCharacterModel) {
  std::mt19937 random(1208);
  const std::vector<Transform> transforms = Transforms();
  for (int round = 0; round < 3000; ++round) {
    const std::string bytes = VariedBytes(random, round % 40, Validity::kAnyBytes);
    const std::u16string text = DecodeUtf8(bytes);
    for (const Transform& t : transforms) {
      const std::u16string expected = t.reference(text);
      std::u16string units = text;
      t.on_units(units);
      ASSERT_EQ(units, expected) << t.name << ", round " << round;
      std::string on_bytes = bytes;
      t.on_bytes(on_bytes);
      ASSERT_EQ(on_bytes, EncodeUtf8(expected)) << t.name << ", round " << round;
    }
  }
}

TEST(ReplaceAllTest, BytesMatchTheCharacterModel) {
  const std::u16string finds[] = {u"a", u"aa", u" ", u"  ", u"cat", u"\u00E9",
                                  u"\u20AC", u"\U0001F600", u"\r", u"\n",
                                  u"a\u00E9", u"\t ", u"\r\n", u"\uFEFF"};
  const std::u16string replacements[] = {u"", u"b", u"dog", u"\u00E9", u"xyz",
                                         u"\U0001F600", u"aaaa"};
  std::mt19937 random(31);
  for (int round = 0; round < 3000; ++round) {
    // One pair on any bytes; several pairs in a row on valid UTF-8.
    const bool valid = round % 2 == 0;
    const std::string bytes = VariedBytes(
        random, round % 40, valid ? Validity::kValidUtf8 : Validity::kAnyBytes);
    std::u16string expected = DecodeUtf8(bytes);
    std::string on_bytes = bytes;
    for (int pair = 0; pair < (valid ? 3 : 1); ++pair) {
      const std::u16string& find = finds[random() % std::size(finds)];
      const std::u16string& replacement =
          replacements[random() % std::size(replacements)];
      expected = ReferenceReplace(expected, find, replacement);
      ReplaceAll<char>(on_bytes, EncodeUtf8(find), EncodeUtf8(replacement));
    }
    ASSERT_EQ(on_bytes, EncodeUtf8(expected)) << "round " << round;
  }
}

}  // namespace
}  // namespace tarnwick
