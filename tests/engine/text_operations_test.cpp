// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "engine/text_operations.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/piecewise_edit.h"
#include "engine/text_codec.h"
#include "files/file_error.h"
#include "tests/engine/reference_model.h"
#include "tests/engine/varied_text.h"
#include "tests/support/temp_dir.h"

namespace tarnwick {
namespace {

using testing::ReadAll;
using testing::TempDir;
using testing::U16;

using Operation = std::function<void(const std::string&)>;

struct NamedOperation {
  const char* name;
  Operation run;
  // The same operation on 16-bit text, by the reference model.
  std::function<std::u16string(std::u16string_view)> model;
};

// A temporary folder on a memory file system where there is one: the tests
// that rewrite thousands of files would otherwise wait on the disk for each
// file's flush.
std::unique_ptr<TempDir> FastTempDir() {
  const char* old = std::getenv("TMPDIR");
  const std::string saved = old == nullptr ? "" : old;
  struct stat info {};
  if (stat("/dev/shm", &info) == 0 && S_ISDIR(info.st_mode)) {
    setenv("TMPDIR", "/dev/shm", 1);
  }
  auto dir = std::make_unique<TempDir>();
  if (old == nullptr) {
    unsetenv("TMPDIR");
  } else {
    setenv("TMPDIR", saved.c_str(), 1);
  }
  return dir;
}

std::u16string ReadText(const std::string& path) {
  return testing::ReferenceReadText(path);
}

std::vector<NamedOperation> FixedOperations() {
  using namespace testing;
  const std::u16string letters_digits =
      std::u16string(kReferenceLetters) + std::u16string(kReferenceDigits);
  return {
      {"RemoveAllSpaces", RemoveAllSpaces,
       [](auto t) { return ReferenceDelete(t, u" ", false); }},
      {"RemoveExtraSpaces", RemoveExtraSpaces, ReferenceSqueeze},
      {"RemoveBlankLines", RemoveBlankLines, ReferenceEmptyLines},
      {"RemoveAllTabs", RemoveAllTabs,
       [](auto t) { return ReferenceDelete(t, u"\t", false); }},
      {"RemoveAlphabet", RemoveAlphabet,
       [](auto t) { return ReferenceDelete(t, kReferenceLetters, false); }},
      {"RemoveNumeric", RemoveNumeric,
       [](auto t) { return ReferenceDelete(t, kReferenceDigits, false); }},
      {"RemoveAlphanumeric", RemoveAlphanumeric,
       [=](auto t) { return ReferenceDelete(t, letters_digits, false); }},
      {"RemoveNonAlphanumeric", RemoveNonAlphanumeric,
       [](auto t) { return ReferenceDelete(t, kReferenceKeepSet, true); }},
  };
}

// The text as a UTF-16 file with its byte-order mark.
std::string Utf16File(std::u16string_view text, bool big_endian) {
  std::string bytes = big_endian ? "\xFE\xFF" : "\xFF\xFE";
  for (char16_t unit : text) {
    const char high = static_cast<char>(unit >> 8);
    const char low = static_cast<char>(unit & 0xFF);
    bytes += big_endian ? high : low;
    bytes += big_endian ? low : high;
  }
  return bytes;
}

Operation Replace(std::u16string find, std::u16string replacement) {
  return [=](const std::string& path) { ReplaceInFile(path, find, replacement); };
}

struct Case {
  const char* name;
  Operation operation;
  std::string before;
  std::string after;
};

void ExpectCases(const std::vector<Case>& cases) {
  TempDir dir;
  for (const Case& c : cases) {
    const std::string path = dir.Write("file.txt", c.before);
    c.operation(path);
    EXPECT_EQ(ReadAll(path), c.after) << c.name;
  }
}

TEST(TextOperationsTest, FixedOperations) {
  ExpectCases({
      {"spaces go, the tab stays", RemoveAllSpaces, "a b\tc", "ab\tc"},
      {"one space stays", RemoveExtraSpaces, "a b", "a b"},
      {"runs become one space", RemoveExtraSpaces,
       "a  b   c    d     e      f", "a b c d e f"},
      {"tabs go", RemoveAllTabs, "\ta\t\tb \t", "ab "},
      {"blank CR LF lines", RemoveBlankLines, "a\r\n\r\n\r\nb", "a\r\nb"},
      {"first empty line stays", RemoveBlankLines, "\r\n\r\na", "\r\na"},
      {"blank LF lines", RemoveBlankLines, "a\n\nb", "a\nb"},
      {"mixed line ends keep the first", RemoveBlankLines,
       "w1\r\n\n\r\nw2", "w1\r\nw2"},
      {"a line of spaces is not blank", RemoveBlankLines,
       "a\r\n \r\n\t\nb", "a\r\n \r\n\t\nb"},
      {"a lone CR is no line end", RemoveBlankLines, "a\r\r\rb\r\r", "a\r\r\rb\r\r"},
      {"accented letters stay", RemoveAlphabet, "R\xC3\xA9sum\xC3\xA9 2",
       "\xC3\xA9\xC3\xA9 2"},
      {"ASCII digits go", RemoveNumeric, "a1b22\xD9\xA0", "ab\xD9\xA0"},
      {"letters and digits go", RemoveAlphanumeric, "ab 12, \xC3\xA9!",
       " , \xC3\xA9!"},
      {"only ASCII letters, digits, spaces, line ends and tabs stay",
       RemoveNonAlphanumeric,
       "\xEF\xBB\xBF" "Caf\xC3\xA9, d\xE9j\xE0 vu!\r\n\t42\xFF\r\n",
       "Caf dj vu\r\n\t42\r\n"},
  });
}

TEST(TextOperationsTest, FindAndReplace) {
  ExpectCases({
      {"case matters", Replace(u"cat", u"dog"), "cat Cat", "dog Cat"},
      {"pairs apply one after another", Replace(u"a\r\nb", u"b\r\nc"), "a", "c"},
      {"one pass without overlap", Replace(u"aa", u"a"), "aaa", "aa"},
      {"removal of whole lines", Replace(u"ab\r\ncd", u""), "abcacdbd", "cabd"},
      {"a last empty find line is ignored", Replace(u"x\r\n", u""), "axbx", "ab"},
      {"an empty find line changes nothing", Replace(u"a\r\n\r\nb", u"1\r\n2\r\n3"),
       "ab", "13"},
      {"extra replacement lines are ignored", Replace(u"a", u"b\r\nc"), "aa", "bb"},
      {"accented find text", Replace(u"\u00E9t\u00E9", u"summer"),
       "l'\xC3\xA9t\xC3\xA9", "l'summer"},
      {"a Latin-1 byte is not the letter", Replace(u"\u00E9", u"e"),
       "caf\xE9 caf\xC3\xA9", "caf\xE9 cafe"},
      {"byte escapes find their bytes", Replace(u"\xDCE9", u"\u00E9"),
       "caf\xE9", "caf\xC3\xA9"},
      {"a tab can be found", Replace(u"\t", u"<tab>"), "a\tb", "a<tab>b"},
      {"growing replacement", Replace(u"o", u"\U0001F600\U0001F600"), "foo",
       "f\xF0\x9F\x98\x80\xF0\x9F\x98\x80\xF0\x9F\x98\x80\xF0\x9F\x98\x80"},
      // Once x is removed the two escaped bytes stand side by side, but they
      // are still two escapes, not the letter they would spell.
      {"escapes do not join between pairs", Replace(u"x\r\n\u00E9", u"\r\nE"),
       "\xC3x\xA9", "\xC3\xA9"},
  });
}

TEST(TextOperationsTest, MissingAndEmptyFiles) {
  for (const NamedOperation& op : FixedOperations()) {
    TempDir dir;
    const std::string missing = dir / "missing.txt";
    op.run(missing);
    EXPECT_EQ(ReadAll(missing), "") << op.name << " creates the file";
    const std::string empty = dir.Write("empty.txt", "");
    op.run(empty);
    EXPECT_EQ(ReadAll(empty), "") << op.name;
  }
  TempDir dir;
  ReplaceInFile(dir / "missing.txt", u"a", u"b");
  EXPECT_EQ(ReadAll(dir / "missing.txt"), "");
}

TEST(TextOperationsTest, SixteenBitFilesAreWrittenAsUtf8) {
  const std::string little = std::string("\xFF\xFE" "a\0 \0b\0\t\0\xE9\0", 12);
  const std::string big = std::string("\xFE\xFF\0a\0 \0b\0\t\0\xE9", 12);
  ExpectCases({
      {"little-endian", RemoveAllSpaces, little, "\xEF\xBB\xBF" "ab\t\xC3\xA9"},
      {"big-endian", RemoveAllTabs, big, "\xEF\xBB\xBF" "a b\xC3\xA9"},
      {"the mark is no letter", RemoveNonAlphanumeric, little, "a b\t"},
      {"find and replace", Replace(u"\u00E9", u"\u20AC"), little,
       "\xEF\xBB\xBF" "a b\t\xE2\x82\xAC"},
      {"blank lines", RemoveBlankLines,
       std::string("\xFF\xFE" "a\0\r\0\n\0\n\0b\0", 12), "\xEF\xBB\xBF" "a\r\nb"},
      // Lone surrogates: the text is edited as 16-bit text, so a removal may
      // pair them up, and a "?" in the find text does not match them.
      {"lone surrogates pair up", RemoveAllSpaces,
       Utf16File(u"\xD800 \xDC00", false), "\xEF\xBB\xBF\xF0\x90\x80\x80"},
      {"a lone surrogate is not a question mark", Replace(u"?", u"!"),
       Utf16File(u"\xD800?", true), "\xEF\xBB\xBF?!"},
  });
}

TEST(TextOperationsTest, ShortReplacementListLeavesTheFileUnwritten) {
  TempDir dir;
  const std::string path = dir.Write("file.txt", "a b c");
  try {
    ReplaceInFile(path, u"a\r\nb", u"x");
    FAIL() << "a short replacement list was accepted";
  } catch (const std::invalid_argument& error) {
    EXPECT_STREQ(error.what(),
                 "The replacement text has fewer lines (1) than the find text "
                 "(2); the file was left unchanged.");
  }
  EXPECT_EQ(ReadAll(path), "a b c");
}

// An edit into a copy reads the source once and writes the result as a new
// file beside it; the tally says whether the result differs from the
// source; a dry run counts the same and writes nothing.
TEST(TextOperationsTest, EditsIntoACopyLeaveTheSourceAndSayWhetherItDiffers) {
  using Op = tarnwick::Operation;
  const struct {
    Op operation;
    std::u16string find, replace;
    std::string input, output;
    std::uint64_t changes;
    bool differs;
  } cases[] = {
      {Op::kRemoveAllTabs, u"", u"", "a\tb", "ab", 1, true},
      {Op::kRemoveAllTabs, u"", u"", "ab", "ab", 0, false},
      {Op::kFindAndReplace, u"x", u"x", "xx", "xx", 2, false},
      {Op::kFindAndReplace, u"x", u"y", "xx", "yy", 2, true},
      {Op::kCopyUnchanged, u"", u"", "a\tb", "a\tb", 0, false},
      {Op::kRemoveAllTabs, u"", u"", std::string("\xFF\xFE" "a\0", 4),
       "\xEF\xBB\xBF" "a", 0, true},  // 16-bit text is written as UTF-8
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.input);
    TempDir dir;
    const std::string source = dir.Write("in.txt", c.input);
    chmod(source.c_str(), 0444);
    for (const bool dry_run : {true, false}) {
      EditTally tally;
      EditFile(c.operation, {c.find, c.replace}, {source, dir / "out.txt"},
               {&tally, dry_run, nullptr});
      EXPECT_EQ(tally.changes, c.changes);
      EXPECT_EQ(tally.differs, c.differs);
      EXPECT_EQ(tally.bytes_before, c.input.size());
      EXPECT_EQ(tally.bytes_after, c.output.size());
      EXPECT_EQ(dir.List().size(), dry_run ? 1u : 2u);
    }
    EXPECT_EQ(ReadAll(source), c.input);
    EXPECT_EQ(ReadAll(dir / "out.txt"), c.output);
    struct stat info {};
    ASSERT_EQ(stat((dir / "out.txt").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0644u);
  }
}

TEST(TextOperationsTest, LongFindListsWork) {
  std::u16string find;
  std::u16string replacement;
  for (int k = 0; k < 40000; ++k) {
    find += u"<" + U16(std::to_string(k)) + u">\r\n";
    replacement += u"\r\n";
  }
  find += u"last";
  replacement += u"LAST";
  TempDir dir;
  const std::string path = dir.Write("file.txt", "<39999> <4> last");
  ReplaceInFile(path, find, replacement);
  EXPECT_EQ(ReadAll(path), "  LAST");
}

TEST(TextOperationsTest, ReadOnlyFileIsRefusedAndKept) {
  TempDir dir;
  const std::string content = "a  b\t1!\r\n\r\nc";
  const std::string path = dir.Write("locked.txt", content);
  ASSERT_EQ(chmod(path.c_str(), 0444), 0);
  std::vector<NamedOperation> operations = FixedOperations();
  operations.push_back({"ReplaceInFile", Replace(u"a", u"z"), nullptr});
  for (const NamedOperation& op : operations) {
    try {
      op.run(path);
      ADD_FAILURE() << op.name << " rewrote a read-only file";
    } catch (const FileError& error) {
      EXPECT_NE(std::string(error.what()).find(path), std::string::npos)
          << error.what();
    }
    EXPECT_EQ(ReadAll(path), content) << op.name;
  }
  chmod(path.c_str(), 0644);
}

// Through the files: the operations on varied and invalid input give the
// bytes of the character model (read as text, transformed, written as text).
TEST(TextOperationsTest, MatchTheCharacterModelOnVariedInput) {
  const std::vector<NamedOperation> operations = FixedOperations();
  const std::u16string finds[] = {u"a", u"aa", u"  ", u"cat", u"\u00E9",
                                  u"\r", u"\U0001F600", u"\xDCC3", u"\xD800", u"?"};
  const std::u16string replacements[] = {u"", u"b", u"dog", u"\u00E9",
                                         u"\xDCA9", u"\U0001F600"};
  std::mt19937 random(7);
  const std::unique_ptr<TempDir> dir = FastTempDir();
  const std::string path = *dir / "file.txt";
  for (int round = 0; round < 400; ++round) {
    std::string bytes = testing::VariedBytes(
        random, round % 60,
        round % 3 == 0 ? testing::Validity::kValidUtf8
                       : testing::Validity::kAnyBytes);
    // Some rounds as UTF-16 files: well-formed ones from valid UTF-8, and
    // ones whose byte escapes become lone surrogates.
    if (round % 4 == 1) {
      std::u16string units = DecodeUtf8(bytes);
      if (round % 3 == 1 && !units.empty()) units[random() % units.size()] = u'\xD800';
      bytes = Utf16File(units, round % 8 == 1);
    }
    testing::WriteAll(path, bytes);
    const std::u16string text = ReadText(path);
    for (const NamedOperation& op : operations) {
      testing::WriteAll(path, bytes);
      op.run(path);
      ASSERT_EQ(ReadAll(path), EncodeUtf8(op.model(text)))
          << op.name << ", round " << round;
    }
    std::u16string find_text;
    std::u16string replace_text;
    std::u16string expected = text;
    const int pairs = 1 + static_cast<int>(random() % 3);
    for (int k = 0; k < pairs; ++k) {
      const std::u16string& find = finds[random() % std::size(finds)];
      const std::u16string& replacement =
          replacements[random() % std::size(replacements)];
      find_text += (k > 0 ? u"\r\n" : u"") + find;
      replace_text += (k > 0 ? u"\r\n" : u"") + replacement;
      expected = testing::ReferenceReplace(expected, find, replacement);
    }
    if (replace_text.empty()) continue;  // that would mean "remove"
    testing::WriteAll(path, bytes);
    ReplaceInFile(path, find_text, replace_text);
    ASSERT_EQ(ReadAll(path), EncodeUtf8(expected)) << "round " << round;
  }
}

// Files of several megabytes are edited piece by piece: the result must not
// depend on where the pieces end, also inside a run of line ends or within a
// line longer than a piece.
TEST(TextOperationsTest, LargeFilesMatchTheCharacterModel) {
  std::mt19937 random(99);
  std::string bytes;
  while (bytes.size() < (3u << 20)) {
    bytes += testing::VariedBytes(random, 50, testing::Validity::kAnyBytes);
  }
  bytes += std::string((5u << 19) - 3, 'a') + "\r\n\r\n  \n";
  for (std::size_t at = 1; (at << 20) + 3 < bytes.size(); ++at) {
    // Runs of line ends around each mebibyte boundary.
    bytes.replace((at << 20) - 3, 6, at % 2 ? "\n\n\r\n\r\n" : "\r\n\n\n\n\n");
  }
  std::string valid;
  while (valid.size() < (3u << 20)) {
    valid += testing::VariedBytes(random, 50, testing::Validity::kValidUtf8);
  }
  TempDir dir;
  const std::string path = dir / "large.txt";
  auto expect_model = [&](const std::string& before, const char* name,
                          const Operation& run,
                          const std::function<std::u16string(std::u16string_view)>& model) {
    testing::WriteAll(path, before);
    const std::u16string text = ReadText(path);
    run(path);
    // Not ASSERT_EQ on the texts: printing a diff of megabytes is too slow.
    const std::string result = ReadAll(path);
    const std::string expected = EncodeUtf8(model(text));
    const auto mismatch =
        std::mismatch(result.begin(), result.end(), expected.begin(), expected.end());
    EXPECT_TRUE(result == expected)
        << name << ": " << result.size() << " bytes instead of "
        << expected.size() << ", first difference at byte "
        << (mismatch.first - result.begin());
  };
  for (const NamedOperation& op : FixedOperations()) {
    expect_model(bytes, op.name, op.run, op.model);
  }
  const auto two_pairs = [](std::u16string_view text) {
    return testing::ReferenceReplace(
        testing::ReferenceReplace(text, u"aa", u"\u00E9"), u"\u00E9\n", u"\n");
  };
  const std::string valid_utf16 = Utf16File(DecodeUtf8(valid), false);
  const std::string malformed_utf16 = Utf16File(DecodeUtf8(bytes), true);
  // Without line feeds the pieces end wherever the buffer does: within
  // runs of spaces and CRs, within UTF-8 sequences and surrogate pairs.
  std::string no_line_feed = bytes;
  std::replace(no_line_feed.begin(), no_line_feed.end(), '\n', '\r');
  // The 8-bit pieces are 1 MiB each: the first cuts fall within a run of
  // spaces and within a four-byte sequence, the last after a CR.
  const std::size_t cuts = no_line_feed.size() >> 20;
  for (std::size_t at = 1; at <= cuts; ++at) {
    no_line_feed.replace((at << 20) - 5, 10,
                         at == cuts     ? "abcd \r\r zz"
                         : at % 2 == 1 ? "abc      z"
                                       : "ab\xF0\x9F\x98\x80" "cdef");
  }
  const std::string no_line_feed_utf16 = Utf16File(DecodeUtf8(no_line_feed), false);
  for (const NamedOperation& op : FixedOperations()) {
    expect_model(no_line_feed, op.name, op.run, op.model);
  }
  for (const std::string* before : {&valid_utf16, &malformed_utf16, &no_line_feed_utf16}) {
    for (const NamedOperation& op : FixedOperations()) {
      expect_model(*before, op.name, op.run, op.model);
    }
  }
  for (const std::string* before : std::initializer_list<const std::string*>{
           &bytes, &valid, &valid_utf16, &malformed_utf16, &no_line_feed}) {
    expect_model(*before, "one pair", Replace(u"a\n\r", u"\n"),
                 [](std::u16string_view text) {
                   return testing::ReferenceReplace(text, u"a\n\r", u"\n");
                 });
    expect_model(*before, "two pairs",
                 Replace(u"aa\r\n\u00E9\n\r\n", u"\u00E9\r\n\n\r\n"), two_pairs);
    // A find line with a byte escape streams the 16-bit text instead.
    expect_model(*before, "pairs on 16-bit text",
                 Replace(u"\xDCC3\r\n\U0001F600\r\n\xD800", u"\u00E9\r\n\r\nx"),
                 [](std::u16string_view text) {
                   return testing::ReferenceReplace(
                       testing::ReferenceReplace(
                           testing::ReferenceReplace(text, u"\xDCC3", u"\u00E9"),
                           u"\U0001F600", u""),
                       u"\xD800", u"x");
                 });
  }
}

// The piece buffer is sized to the file, in pages, up to a full piece: files
// just below, at and above those sizes, without a line feed (the pieces end
// where the buffer does) and with a match at the end.
TEST(TextOperationsTest, FilesAroundTheBufferSizesMatchTheCharacterModel) {
  const std::unique_ptr<TempDir> dir = FastTempDir();
  const std::string path = *dir / "file.txt";
  for (const std::size_t size : {std::size_t{4095}, std::size_t{4096},
                                 std::size_t{4097}, kPieceSize - 1, kPieceSize,
                                 kPieceSize + 1}) {
    std::string bytes;
    while (bytes.size() < size) bytes += "Cat\tsat\r ";
    bytes.resize(size - 4);
    bytes += "\tCat";
    const std::u16string text = DecodeUtf8(bytes);
    const std::pair<Operation, std::u16string> cases[] = {
        {RemoveAllTabs, testing::ReferenceDelete(text, u"\t", false)},
        {Replace(u"Cat\r\nt\r", u"dog\r\nT"),
         testing::ReferenceReplace(
             testing::ReferenceReplace(text, u"Cat", u"dog"), u"t\r", u"T")},
    };
    for (const auto& [operation, model] : cases) {
      testing::WriteAll(path, bytes);
      operation(path);
      EXPECT_TRUE(ReadAll(path) == EncodeUtf8(model)) << size << " bytes";
    }
  }
}

TEST(SplitLinesTest, SplitsAtCrLfOnly) {
  using Lines = std::vector<std::u16string>;
  EXPECT_EQ(SplitLines(u""), Lines{});
  EXPECT_EQ(SplitLines(u"a"), Lines{u"a"});
  EXPECT_EQ(SplitLines(u"a\r\n"), (Lines{u"a", u""}));
  EXPECT_EQ(SplitLines(u"\r\n"), (Lines{u"", u""}));
  EXPECT_EQ(SplitLines(u"a\nb\rc\r\nd"), (Lines{u"a\nb\rc", u"d"}));
  EXPECT_EQ(SplitLines(u"a\r\r\n\nb"), (Lines{u"a\r", u"\nb"}));
}

TEST(FilterCharactersTest, DropAndKeepModes) {
  EXPECT_EQ(FilterCharacters(u"a1b2\u00E9", u"0123456789", false), u"ab\u00E9");
  EXPECT_EQ(FilterCharacters(u"a1b2\u00E9", u"0123456789", true), u"12");
  EXPECT_EQ(FilterCharacters(u"\u00E9t\u00E9", u"\u00E9", false), u"t");
  EXPECT_EQ(FilterCharacters(u"abc", u"", false), u"abc");
  EXPECT_EQ(FilterCharacters(u"abc", u"", true), u"");
}

}  // namespace
}  // namespace tarnwick
