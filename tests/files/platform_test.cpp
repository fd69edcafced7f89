// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "files/platform.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tests/support/temp_dir.h"

namespace tarnwick {
namespace {

using testing::TempDir;
namespace a = attributes;

TEST(FileAttributes, DescribeFilesFoldersAndLinks) {
  TempDir dir;
  dir.Write("plain.txt", "x");
  dir.Write(".hidden", "");
  chmod(dir.Write("locked.txt", "x").c_str(), 0444);
  dir.MakeFolder("folder");
  dir.MakeFolder(".config");
  chmod(dir.MakeFolder("locked-folder").c_str(), 0555);
  symlink("plain.txt", (dir / "file-link").c_str());
  symlink("folder", (dir / "folder-link").c_str());
  symlink("folder", (dir / ".dotted-link").c_str());
  symlink("nowhere", (dir / "dangling").c_str());
  const struct {
    std::string name;
    std::uint32_t value;
  } cases[] = {
      {"plain.txt", a::kArchive},
      {".hidden", a::kArchive | a::kHidden},
      {"locked.txt", a::kArchive | a::kReadOnly},  // also when run as root
      {"folder", a::kDirectory},
      {"folder/", a::kDirectory},
      {".config", a::kDirectory | a::kHidden},
      {"locked-folder", a::kDirectory | a::kReadOnly},
      {"file-link", a::kReparsePoint | a::kArchive},
      {"folder-link", a::kReparsePoint | a::kDirectory},
      {".dotted-link", a::kReparsePoint | a::kDirectory | a::kHidden},
      {"dangling", a::kReparsePoint},
      {"folder/.", a::kDirectory},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FileAttributes(dir / c.name), c.value) << c.name;
  }
  EXPECT_EQ(FileAttributes(dir / "missing"), std::nullopt);
  EXPECT_EQ(FileAttributes(""), std::nullopt);
}

TEST(IsRootFolder, OnlyTheRoot) {
  for (const char* root : {"/", "//", "///", "/..", "/./"}) {
    EXPECT_TRUE(IsRootFolder(root)) << root;
  }
  TempDir dir;
  for (const std::string& other : {std::string("/tmp"), std::string(""), dir.path(),
                                   dir / "missing"}) {
    EXPECT_FALSE(IsRootFolder(other)) << other;
  }
}

}  // namespace
}  // namespace tarnwick
