// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// The operations run within a small address space: memory must not grow
// with the input's size, its line lengths, the number of pairs or the
// length of the replacements. Each case runs in a forked child whose
// address space is limited.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <string>

#include "engine/text_operations.h"
#include "files/file_error.h"
#include "tests/support/limited_child.h"
#include "tests/support/temp_dir.h"

namespace tarnwick {
namespace {

using testing::ReadAll;
using testing::kAddressSanitizer;
using testing::RunLimited;
using testing::TempDir;

// A reservation for the worst case (every byte a match of a one-character
// find growing to 5,000 characters) or a buffer per pair would need
// gigabytes here; the operations get 256 MiB.
TEST(MemoryBoundTest, BigGrowthAndManyPairsRunInASmallAddressSpace) {
  if (kAddressSanitizer) GTEST_SKIP() << "the sanitizer reserves terabytes";
  constexpr std::size_t kLimit = 256u << 20;
  TempDir dir;
  struct Case {
    const char* name;
    std::string content;
    std::u16string find;
    std::u16string replacement;
    std::string expected;
  };
  std::u16string many_finds;
  std::u16string many_replacements;
  for (int k = 0; k < 1000; ++k) {
    many_finds += u"b" + std::u16string(1, static_cast<char16_t>(u'A' + k % 26)) + u"\r\n";
    many_replacements += u"bb\r\n";
  }
  many_finds += u"b";
  many_replacements += u"cc";
  std::string lines;
  while (lines.size() < (1u << 20)) lines += "bA bZ x\n";
  const Case cases[] = {
      {"a long replacement", std::string(4u << 20, 'x') + "a", u"a",
       std::u16string(5000, u'r'), std::string(4u << 20, 'x') + std::string(5000, 'r')},
      {"1,001 pairs", lines, many_finds, many_replacements, ""},
      {"no line end, growing", std::string(3u << 20, '\r'), u"\r", u"\r\r",
       std::string(6u << 20, '\r')},
  };
  for (const Case& c : cases) {
    const std::string path = dir.Write("file.txt", c.content);
    const int code = RunLimited(kLimit, [&] {
      ReplaceInFile(path, c.find, c.replacement);
      return 0;
    });
    ASSERT_EQ(code, 0) << c.name << " (101: out of memory)";
    const std::string result = ReadAll(path);
    if (!c.expected.empty()) {
      EXPECT_TRUE(result == c.expected) << c.name;
    } else {
      EXPECT_GT(result.size(), c.content.size()) << c.name;
    }
  }
  // Fixed operations on 16-bit text with a lone surrogate and no line end.
  std::string utf16 = "\xFF\xFE";
  for (int k = 0; k < (4 << 20); ++k) utf16 += k == 1000 ? std::string("\x00\xD8", 2) : std::string(" \0", 2);
  const std::string path = dir.Write("utf16.txt", utf16);
  EXPECT_EQ(RunLimited(kLimit, [&] {
              RemoveExtraSpaces(path);
              return 0;
            }),
            0);
  EXPECT_EQ(ReadAll(path), "\xEF\xBB\xBF ? ");
}

// Where memory still runs out (here a replacement text larger than the
// memory left), the failure names the file in plain words, the file keeps
// its content and no temporary file is left.
TEST(MemoryBoundTest, RunningOutOfMemoryIsReportedAndLeavesNothing) {
  if (kAddressSanitizer) GTEST_SKIP() << "the sanitizer reserves terabytes";
  TempDir dir;
  const std::string content = "a b a\n";
  const std::string path = dir.Write("file.txt", content);
  const std::string message = dir / "message.txt";
  const std::u16string replacement(32u << 20, u'r');  // 64 MiB
  const int code = RunLimited(48u << 20, [&] {
    try {
      ReplaceInFile(path, u"a", replacement);
    } catch (const FileError& error) {
      std::ofstream(message) << error.what();
      return 1;
    }
    return 0;
  });
  ASSERT_EQ(code, 1);
  const std::string what = ReadAll(message);
  EXPECT_NE(what.find(path), std::string::npos) << what;
  EXPECT_NE(what.find("not enough memory"), std::string::npos) << what;
  EXPECT_EQ(ReadAll(path), content);
  EXPECT_EQ(dir.List(), (std::vector<std::string>{"file.txt", "message.txt"}));
}

}  // namespace
}  // namespace tarnwick
