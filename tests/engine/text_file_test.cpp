#include "engine/text_file.h"

#include <gtest/gtest.h>

#include <string>

#include "files/file_error.h"
#include "tests/support/temp_dir.h"

namespace tarnwick {
namespace {

using testing::ReadAll;
using testing::TempDir;

TEST(ReadTextFileTest, MissingAndEmptyFilesReadAsTheEmptyText) {
  TempDir dir;
  EXPECT_EQ(ReadTextFile(dir / "missing.txt"), u"");
  EXPECT_EQ(ReadTextFile(dir / "no-folder/missing.txt"), u"");
  EXPECT_EQ(ReadTextFile(dir.Write("empty.txt", "")), u"");
}

TEST(ReadTextFileTest, ChoosesTheReadingByTheByteOrderMark) {
  struct Case {
    const char* name;
    std::string bytes;
    std::u16string text;
  };
  const Case cases[] = {
      {"little-endian", std::string("\xFF\xFE" "A\0B\0", 6), u"\uFEFFAB"},
      {"big-endian", std::string("\xFE\xFF\0A\0B", 6), u"\uFEFFAB"},
      {"mark only", "\xFF\xFE", u"\uFEFF"},
      {"y with diaeresis, then a letter", "\xFFy", u"\xDCFFy"},
      {"thorn alone", "\xFE", u"\xDCFE"},
      {"UTF-8 with its mark", "\xEF\xBB\xBF" "caf\xC3\xA9", u"\uFEFFcaf\u00E9"},
      {"UTF-8 without mark", "na\xC3\xAFve\r\n", u"na\u00EFve\r\n"},
      {"Latin-1", "na\xEFve", u"na\xDCEFve"},
  };
  TempDir dir;
  for (const Case& c : cases) {
    EXPECT_EQ(ReadTextFile(dir.Write("in.txt", c.bytes)), c.text) << c.name;
  }
}

TEST(ReadTextFileTest, AFolderCannotBeRead) {
  TempDir dir;
  const std::string folder = dir.MakeFolder("sub");
  try {
    ReadTextFile(folder);
    FAIL() << "reading a folder succeeded";
  } catch (const FileError& error) {
    EXPECT_NE(std::string(error.what()).find(folder), std::string::npos)
        << error.what();
    EXPECT_NE(error.reason(), "");
  }
}

TEST(WriteTextFileTest, WritesUtf8WithoutAddingALineEnd) {
  struct Case {
    const char* name;
    std::u16string text;
    std::string bytes;
  };
  const Case cases[] = {
      {"empty", u"", ""},
      {"line ends as they are", u"a\r\nb\nc\r", "a\r\nb\nc\r"},
      {"accents", u"\u00E9\u20AC\U0001F600", "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"},
      {"byte escapes", u"na\xDCEFve\xDCFF", "na\xEFve\xFF"},
  };
  TempDir dir;
  for (const Case& c : cases) {
    const std::string path = dir / "out.txt";
    WriteTextFile(path, c.text);
    EXPECT_EQ(ReadAll(path), c.bytes) << c.name;
  }
}

TEST(WriteTextFileTest, EightBitFilesComeBackByteForByte) {
  std::string every_byte;
  for (int b = 0; b < 256; ++b) every_byte.push_back(static_cast<char>(b));
  const std::string files[] = {
      every_byte,
      "caf\xC3\xA9 \xE9t\xE9 \xED\xA0\x80 \xF4\x90\x80\x80 \xC3",
      "\xEF\xBB\xBF" "marked\r\n",
  };
  TempDir dir;
  for (std::size_t i = 0; i < std::size(files); ++i) {
    const std::string path = dir.Write("in.txt", files[i]);
    WriteTextFile(path, ReadTextFile(path));
    EXPECT_EQ(ReadAll(path), files[i]) << "file " << i;
  }
}

TEST(WriteTextFileTest, SixteenBitFilesBecomeUtf8) {
  TempDir dir;
  const std::string path =
      dir.Write("in.txt", std::string("\xFF\xFE\xE9\0\r\0\n\0\x3D\xD8\x00\xDE", 12));
  WriteTextFile(path, ReadTextFile(path));
  EXPECT_EQ(ReadAll(path), "\xEF\xBB\xBF\xC3\xA9\r\n\xF0\x9F\x98\x80");
}

TEST(WriteTextFileTest, AFailureNamesTheFile) {
  TempDir dir;
  const std::string path = dir / "no-folder/out.txt";
  try {
    WriteTextFile(path, u"text");
    FAIL() << "writing into a missing folder succeeded";
  } catch (const FileError& error) {
    EXPECT_NE(std::string(error.what()).find("out.txt"), std::string::npos)
        << error.what();
  }
}

}  // namespace
}  // namespace tarnwick
