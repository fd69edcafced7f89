// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/program_files.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/temp_dir.h"

namespace tarnwick {
namespace {

using testing::TempDir;

// Where the files beside the program are looked for, for a program file in
// prefix/bin: its data folder prefix/share/tarnwick when installed, the
// program's own folder otherwise.
TEST(FilesFolderForTest, InstalledDataFolderOrBesideTheProgram) {
  struct Case {
    const char* name;
    const char* make_folder;  // below the prefix, or nullptr
    const char* make_file;    // below the prefix, or nullptr
    const char* installed_data;
    const char* expected;  // below the prefix
  };
  const Case cases[] = {
      {"build tree: no data folder", nullptr, nullptr, "../share/tarnwick", "bin"},
      {"installed", "share/tarnwick/Samples", nullptr, "../share/tarnwick",
       "share/tarnwick"},
      {"data folder empty but present", "share/tarnwick", nullptr,
       "../share/tarnwick", "share/tarnwick"},
      {"a file where the folder belongs", nullptr, "share/tarnwick",
       "../share/tarnwick", "bin"},
      {"another program's data folder", "share/other", nullptr,
       "../share/tarnwick", "bin"},
      {"steps written out", "lib/tarnwick", nullptr, "./../lib/x/../tarnwick/",
       "lib/tarnwick"},
      {"no data folder configured", "share/tarnwick", nullptr, "", "bin"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir prefix;
    prefix.MakeFolder("bin");
    if (c.make_folder) prefix.MakeFolder(c.make_folder);
    if (c.make_file) prefix.Write(c.make_file, "");
    EXPECT_EQ(FilesFolderFor(prefix / "bin", c.installed_data), prefix / c.expected);
  }
}

TEST(FilesFolderForTest, AnAbsoluteDataFolderIsTakenAsItIs) {
  TempDir data;
  TempDir program;
  EXPECT_EQ(FilesFolderFor(program.path(), data.path()), data.path());
  EXPECT_EQ(FilesFolderFor(program.path(), data / "missing"), program.path());
}

}  // namespace
}  // namespace tarnwick
