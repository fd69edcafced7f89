// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "filelist/directory_listing.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "tests/support/temp_dir.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

TEST(DirectoryListingTest, SortsWithoutRegardToCaseThenByBytes) {
  Names names{"b", "_x", "Zeta", "a", "A", "ä", "Ä", "B", "10", "9", "~t", ".h"};
  SortInListingOrder(names);
  // Letters compare in upper case, so "_" comes after "Z" and "~" last.
  EXPECT_EQ(names, (Names{".h", "10", "9", "A", "a", "B", "b", "Zeta", "_x", "~t",
                          "Ä", "ä"}));
  EXPECT_TRUE(ComesBeforeInListing("abc", "ABD"));
  EXPECT_TRUE(ComesBeforeInListing("ABC", "abc"));
  EXPECT_FALSE(ComesBeforeInListing("abc", "abc"));
}

TEST(DirectoryListingTest, SplitsFilesAndFoldersFollowingLinks) {
  testing::TempDir dir;
  dir.Write("d/b.txt", "");
  dir.Write("d/A.txt", "");
  dir.MakeFolder("d/Sub");
  dir.MakeFolder("d/.dot");
  fs::create_directory_symlink("Sub", dir / "d/link-to-sub");
  fs::create_symlink("b.txt", dir / "d/link-to-file");
  fs::create_symlink("gone", dir / "d/dangling");
  const DirectoryListing files = ListDirectory(dir / "d", ListingKind::kFiles);
  EXPECT_EQ(files.error, ListingError::kNone);
  EXPECT_EQ(files.names, (Names{"A.txt", "b.txt", "dangling", "link-to-file"}));
  const DirectoryListing folders = ListDirectory(dir / "d/", ListingKind::kFolders);
  EXPECT_EQ(folders.error, ListingError::kNone);
  EXPECT_EQ(folders.names, (Names{".dot", "link-to-sub", "Sub"}));
}

TEST(DirectoryListingTest, MapsFailures) {
  testing::TempDir dir;
  const std::string file = dir.Write("file", "");
  EXPECT_EQ(ListDirectory(dir / "missing", ListingKind::kFiles).error,
            ListingError::kPathNotFound);
  EXPECT_EQ(ListDirectory(file, ListingKind::kFolders).error,
            ListingError::kPathNotFound);
  const DirectoryListing too_long =
      ListDirectory(dir / std::string(5000, 'x'), ListingKind::kFiles);
  EXPECT_EQ(too_long.error, ListingError::kOther);
  EXPECT_NE(too_long.reason.find("File name too long"), std::string::npos)
      << too_long.reason;
}

}  // namespace
}  // namespace tarnwick
