// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "engine/changed_lines.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "engine/text_operations.h"
#include "files/file_error.h"
#include "tests/engine/reference_model.h"
#include "tests/engine/varied_text.h"
#include "tests/support/temp_dir.h"

namespace tarnwick {
namespace {

using testing::TempDir;
using testing::U16;

ChangedLines Compare(const std::string& before, const std::string& after,
                     std::size_t max_pairs = 200) {
  std::istringstream b(before);
  std::istringstream a(after);
  return CompareTexts(b, a, max_pairs);
}

// The pairs as "N:before|M:after" with "-" for a missing side.
std::vector<std::string> Shown(const ChangedLines& lines) {
  std::vector<std::string> shown;
  auto side = [](const std::optional<ShownLine>& line) {
    return line ? std::to_string(line->number) + ":" + DisplayLine(line->text)
                : std::string("-");
  };
  for (const LinePair& pair : lines.pairs) {
    shown.push_back(side(pair.before) + "|" + side(pair.after));
  }
  return shown;
}

std::string Utf16Le(std::u16string_view text) {
  std::string bytes = "\xFF\xFE";
  for (char16_t unit : text) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  return bytes;
}

TEST(CompareTextsTest, PairsTheChangedLines) {
  struct Case {
    const char* what;
    std::string before, after;
    std::vector<std::string> pairs;
  };
  const Case cases[] = {
      {"nothing changes", "a\nb\n", "a\nb\n", {}},
      {"both empty", "", "", {}},
      {"one line in CR LF text", "a\r\nb b\r\nc\r\n", "a\r\nbb\r\nc\r\n", {"2:b b|2:bb"}},
      {"blank lines removed", "x\r\n\r\n\r\ny\r\n", "x\r\ny\r\n", {"2:|-", "3:|-"}},
      {"two lines joined", "a\nb\nc\n", "a b\nc\n", {"1:a|1:a b", "2:b|-"}},
      {"a line split", "ab\nz\n", "a\nb\nz\n", {"1:ab|1:a", "-|2:b"}},
      {"every line changes", "1\n2\n3\n", "x\ny\nz\n", {"1:1|1:x", "2:2|2:y", "3:3|3:z"}},
      {"the last line end removed", "a\nb\n", "a\nb", {"2:b|2:b"}},
      {"text gone", "a\nb\n", "", {"1:a|-", "2:b|-"}},
      {"apart changes", "a\nb\nc\nd\n", "A\nb\nc\nD\n", {"1:a|1:A", "4:d|4:D"}},
      {"invalid bytes as escapes", "a\xFF\tb\x01\n", "a\xFF b\n", {"1:a\\xFF\tb\\x01|1:a\\xFF b"}},
  };
  for (const Case& c : cases) {
    const ChangedLines lines = Compare(c.before, c.after);
    EXPECT_EQ(Shown(lines), c.pairs) << c.what;
    EXPECT_EQ(lines.total, c.pairs.size()) << c.what;
  }
}

// The cap keeps whole pairs: both sides of every pair shown, all counted.
TEST(CompareTextsTest, TheCapCountsPairsAndKeepsBothSides) {
  std::string before, after;
  for (int i = 0; i < 300; ++i) {
    before += "line\t" + std::to_string(i) + "\n";
    after += "line" + std::to_string(i) + "\n";
  }
  const ChangedLines lines = Compare(before, after, 200);
  EXPECT_EQ(lines.total, 300u);
  ASSERT_EQ(lines.pairs.size(), 200u);
  for (const LinePair& pair : lines.pairs) {
    ASSERT_TRUE(pair.before && pair.after);
    EXPECT_EQ(pair.before->number, pair.after->number);
  }
  EXPECT_EQ(DisplayLine(lines.pairs.back().after->text), "line199");
}

TEST(CompareTextsTest, DecodesAsTheOperationsDo) {
  // 16-bit text (its mark kept as U+FEFF) against the UTF-8 an operation
  // writes for it: equal lines match, changed ones read as text.
  const std::string before = Utf16Le(u"h\u00E9llo\r\nw\u00F6r ld\r\n\U0001F600\r\n");
  const std::string after = "\xEF\xBB\xBFh\xC3\xA9llo\r\nw\xC3\xB6rld\r\n\xF0\x9F\x98\x80\r\n";
  EXPECT_EQ(Shown(Compare(before, after)),
            std::vector<std::string>{"2:w\xC3\xB6r ld|2:w\xC3\xB6rld"});
  // Big-endian, a lone surrogate and an odd last byte (its escape U+DC41
  // is no byte of 8-bit text: shown as the code unit).
  const std::string big("\xFE\xFF\0a\xD8\x00\0\n\0b\x41", 11);
  EXPECT_EQ(Shown(Compare(big, "")),
            (std::vector<std::string>{"1:\xEF\xBB\xBF" "a\\uD800|-", "2:b\\uDC41|-"}));
}

// Lines read piece by piece decode exactly as the whole file does, also
// where a character or a long line spans pieces.
TEST(CompareTextsTest, LinesMatchTheWholeFileReading) {
  std::mt19937 random(7);
  TempDir dir;
  for (int round = 0; round < 6; ++round) {
    std::string bytes;
    while (bytes.size() < 300000) {
      bytes += testing::VariedBytes(random, 50, testing::Validity::kAnyBytes);
      if (round % 2 == 1) bytes += std::string(70000, 'x') + "\xC3\xA9";
    }
    const std::string path = dir.Write("f" + std::to_string(round), bytes);
    std::u16string whole = testing::ReferenceReadText(path);
    std::vector<std::u16string> expected;
    for (std::size_t start = 0; start < whole.size();) {
      std::size_t end = whole.find(u'\n', start);
      if (end == std::u16string::npos) end = whole.size();
      std::u16string line = whole.substr(start, end - start);
      if (!line.empty() && line.back() == u'\r') line.pop_back();
      expected.push_back(line.substr(0, kShownLineUnits));
      start = end + 1;
    }
    const ChangedLines lines =
        CompareTextFiles(path, dir.Write("empty", ""), expected.size() + 1);
    ASSERT_EQ(lines.pairs.size(), expected.size()) << round;
    for (std::size_t k = 0; k < expected.size(); ++k) {
      ASSERT_EQ(lines.pairs[k].before->text, expected[k]) << round << " line " << k + 1;
    }
    // And the file against itself: nothing changed.
    EXPECT_EQ(CompareTextFiles(path, path, 10).total, 0u) << round;
  }
}

TEST(CompareTextsTest, ALongLineKeepsItsStartAndItsLength) {
  const std::string line(5000, 'a');
  const ChangedLines lines = Compare(line + "b\n", line + "c\n");
  ASSERT_EQ(lines.pairs.size(), 1u);
  EXPECT_TRUE(lines.pairs[0].before->cut());
  EXPECT_EQ(lines.pairs[0].before->text.size(), kShownLineUnits);
  EXPECT_EQ(lines.pairs[0].after->length, 5001u);
}

TEST(CompareTextsTest, AFileThatCannotBeReadIsNamed) {
  TempDir dir;
  const std::string here = dir.Write("a.txt", "a\n");
  try {
    CompareTextFiles(here, dir / "missing.txt", 10);
    FAIL();
  } catch (const FileError& error) {
    EXPECT_EQ(error.path(), dir / "missing.txt");
  }
}

}  // namespace
}  // namespace tarnwick
