// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "filelist/folder_scan.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/routine_identities.h"
#include "files/path_helpers.h"
#include "files/platform.h"
#include "tests/filelist/scan_host_fake.h"
#include "tests/files/forked_child.h"
#include "tests/support/temp_dir.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;
using testing::FakeScanHost;
using testing::TempDir;

// The appended entries with the temporary folder's path taken off.
std::vector<std::string> Relative(const TempDir& dir, const FakeScanHost& host) {
  std::vector<std::string> result;
  for (const std::string& entry : host.list.entries) {
    result.push_back(entry.rfind(dir.path() + "/", 0) == 0
                         ? entry.substr(dir.path().size() + 1)
                         : "OUTSIDE:" + entry);
  }
  return result;
}

std::vector<std::string> Scan(const TempDir& dir, const std::string& folder,
                              const std::string& pattern = "*.*") {
  FakeScanHost host;
  AddFolderFilesToList(dir / folder, pattern, host);
  EXPECT_TRUE(host.reporter.reports().empty())
      << host.reporter.reports().front();
  return Relative(dir, host);
}

using Names = std::vector<std::string>;

// In a forked child: permission bits bind root only as another user.
void ActWithoutPrivileges() {
  if (geteuid() == 0) testing::BecomeUnprivilegedUser();
}

TEST(FolderScanTest, PatternIsStarDotExtension) {
  TempDir dir;
  dir.Write("A/a.txt", "x");
  dir.Write("A/b.doc", "x");
  dir.Write("A/README", "x");
  EXPECT_EQ(Scan(dir, "A", "*.*"), (Names{"A/a.txt", "A/b.doc", "A/README"}));
  EXPECT_EQ(Scan(dir, "A", "*.txt"), (Names{"A/a.txt"}));
  EXPECT_EQ(Scan(dir, "A", "*.TXT"), (Names{"A/a.txt"}));
  EXPECT_EQ(Scan(dir, "A", "*..txt"), Names{});
}

TEST(FolderScanTest, SkipsTildeNamesAndHiddenArchiveFilesOnly) {
  TempDir dir;
  dir.Write("A/~a.txt", "x");
  dir.Write("A/.hidden.txt", "x");  // hidden + archive: 34
  const std::string read_only = dir.Write("A/.read-only.txt", "x");
  ASSERT_EQ(chmod(read_only.c_str(), 0444), 0);  // hidden + read-only: 35
  dir.Write("A/plain.txt", "x");
  dir.Write("A/.cfg/inside.txt", "x");  // a hidden folder is entered
  dir.Write("A/.cfg/~x/deep.txt", "x");  // "~" only counts for file names
  fs::create_symlink("nowhere", dir / "A/dangling.txt");
  EXPECT_EQ(Scan(dir, "A"), (Names{"A/.read-only.txt", "A/plain.txt",
                                   "A/.cfg/inside.txt", "A/.cfg/~x/deep.txt"}));
}

TEST(FolderScanTest, TakesTheTreeBreadthFirstInListingOrder) {
  TempDir dir;
  dir.Write("A/a1", "");
  dir.Write("A/B/b1", "");
  dir.Write("A/c/c1", "");  // sorts between B and D whatever its case
  dir.Write("A/D/d1", "");
  dir.Write("A/B/E/e1", "");
  dir.Write("A/B/E/F/f1", "");
  dir.Write("A/c/g/g1", "");
  EXPECT_EQ(Scan(dir, "A"),
            (Names{"A/a1", "A/B/b1", "A/c/c1", "A/D/d1", "A/B/E/e1", "A/c/g/g1",
                   "A/B/E/F/f1"}));
}

TEST(FolderScanTest, ScanningTwiceListsTwice) {
  TempDir dir;
  dir.Write("A/a.txt", "");
  FakeScanHost host;
  AddFolderFilesToList(dir / "A", "*.*", host);
  AddFolderFilesToList(dir / "A", "*.*", host);
  EXPECT_EQ(Relative(dir, host), (Names{"A/a.txt", "A/a.txt"}));
}

TEST(FolderScanTest, EntriesHaveSingleSeparators) {
  TempDir dir;
  dir.Write("A/B/b.txt", "");
  FakeScanHost host;
  // A start folder given with its separator, as the root "/" is.
  AddFolderFilesToList(dir / "A/", "*.*", host);
  EXPECT_EQ(host.list.entries, (Names{dir / "A/B/b.txt"}));
}

TEST(FolderScanTest, YieldsPerFolderBeforeAppendingAnything) {
  TempDir dir;
  dir.Write("A/a.txt", "");
  dir.Write("A/B/D/d.txt", "");
  dir.MakeFolder("A/C");
  dir.MakeFolder("A/q\x01");  // listed and refused: still one yield
  FakeScanHost host;
  host.on_yield = [&](int) { EXPECT_EQ(host.list.Count(), 0); };
  AddFolderFilesToList(dir / "A", "*.*", host);
  // A: 1 + 3 subfolders; B, C: 1 each + 1 for D; D: 1; D kept at its level:
  // 1; B, C, D kept at the top: 3.
  EXPECT_EQ(host.yields, 4 + 3 + 1 + 1 + 3);
  EXPECT_EQ(Relative(dir, host), (Names{"A/a.txt", "A/B/D/d.txt"}));
}

TEST(FolderScanTest, EntersFolderNamesOfEveryScript) {
  TempDir dir;
  for (const char* name : {"Ελληνικά", "Кириллица", "漢字", "café", "😀"}) {
    dir.Write(std::string("A/") + name + "/f.txt", "");
  }
  EXPECT_EQ(Scan(dir, "A").size(), 5u);
}

TEST(FolderScanTest, RefusesFolderNamesWithBadCharacters) {
  TempDir dir;
  for (const char* name : {"c\x01", "c\x1f", "c\x7f", "c\xc2\x80", "c\xc2\x9f",
                           "c\xff", "c\xc3", "c\xed\xa0\x80", "c?"}) {
    dir.Write(std::string("A/") + name + "/f.txt", "");
  }
  dir.Write("A/\x01name.txt", "");  // file names are not tested
  EXPECT_EQ(Scan(dir, "A"), (Names{"A/\x01name.txt"}));
}

TEST(FolderScanTest, HasBadNameCharsTable) {
  const std::pair<std::string, bool> cases[] = {
      {"", false},          {"plain", false},       {"Ελληνικά", false},
      {"漢字", false},      {"\xc2\xa0", false},    {" spaced ", false},
      {"tab\t", true},      {"del\x7f", true},      {"\xc2\x9f", true},
      {"why?", true},       {"\x80", true},         {"\xe6\xbc", true},
      {"\xc0\xaf", true},   {"\xf4\x90\x80\x80", true},
  };
  for (const auto& [name, bad] : cases) {
    EXPECT_EQ(HasBadNameChars(name), bad) << "name bytes: " << name;
  }
}

TEST(FolderScanTest, EndsOnLinkLoopsTakingEachFolderOnce) {
  TempDir dir;
  dir.Write("A/a.txt", "");
  dir.Write("A/B/b.txt", "");
  dir.Write("Outside/o.txt", "");
  fs::create_directory_symlink("..", dir / "A/B/up");
  fs::create_directory_symlink(dir / "A", dir / "A/B/again");
  fs::create_directory_symlink("B", dir / "A/C-to-B");
  fs::create_directory_symlink(dir / "Outside", dir / "A/D-outside");
  fs::create_directory_symlink("self", dir / "A/self");  // loops on itself
  EXPECT_EQ(Scan(dir, "A"), (Names{"A/a.txt", "A/B/b.txt", "A/D-outside/o.txt"}));
}

TEST(FolderScanTest, DropsFoldersThatGoDuringTheScan) {
  // The yields of a scan of A (subfolders B and C): 1 A, 2 B listed, 3 C
  // listed, 4 B examined, 5 C examined, 6 B kept, 7 C kept.
  for (int removal_yield = 1; removal_yield <= 7; ++removal_yield) {
    TempDir dir;
    dir.Write("A/a.txt", "");
    dir.Write("A/B/b.txt", "");
    dir.Write("A/C/c.txt", "");
    FakeScanHost host;
    host.on_yield = [&](int count) {
      if (count == removal_yield) fs::remove_all(dir / "A/B");
    };
    AddFolderFilesToList(dir / "A", "*.*", host);
    EXPECT_EQ(Relative(dir, host), (Names{"A/a.txt", "A/C/c.txt"}))
        << "removed at yield " << removal_yield;
    EXPECT_TRUE(host.reporter.reports().empty()) << removal_yield;
  }
}

TEST(FolderScanTest, DropsFoldersItMayNotRead) {
  TempDir dir;
  ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
  dir.Write("A/a.txt", "");
  dir.Write("A/B/locked/l.txt", "");
  dir.Write("A/B/open/o.txt", "");
  dir.Write("A/C/c.txt", "");
  ASSERT_EQ(chmod((dir / "A/B/locked").c_str(), 0), 0);
  TARNWICK_IN_CHILD([&] {
    ActWithoutPrivileges();
    EXPECT_EQ(Scan(dir, "A"), (Names{"A/a.txt", "A/C/c.txt", "A/B/open/o.txt"}));
  });
}

TEST(FolderScanTest, FilesOfAFolderThatMayNotBeSearchedDoNotExist) {
  TempDir dir;
  ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
  dir.Write("A/a.txt", "");
  dir.Write("A/b.txt", "");
  dir.Write("A/Sub/c.txt", "");
  ASSERT_EQ(chmod((dir / "A").c_str(), 0444), 0);  // readable, not searchable
  TARNWICK_IN_CHILD([&] {
    ActWithoutPrivileges();
    EXPECT_FALSE(IsExistingFile(dir / "A/a.txt"));
    EXPECT_EQ(GetFolderFiles(dir / "A", "*.*"), Names{});
    EXPECT_EQ(Scan(dir, "A"), Names{});
  });
}

TEST(FolderScanTest, ReportsOtherFailuresAndGoesOn) {
#if defined(__SANITIZE_ADDRESS__)
  // The sanitizers' run-time checks a virtual call's object through a pipe
  // of its own; with no descriptor left it reports that object as invalid.
  GTEST_SKIP() << "needs file descriptors that the sanitizers' checks take";
#endif
  TempDir dir;
  dir.Write("A/a.txt", "");
  dir.Write("A/B/b.txt", "");
  TARNWICK_IN_CHILD([&] {
    // No descriptor left: every listing fails with "Too many open files".
    rlimit old_limit;
    getrlimit(RLIMIT_NOFILE, &old_limit);
    const int lowest_free = dup(0);
    close(lowest_free);
    rlimit limit = old_limit;
    limit.rlim_cur = static_cast<rlim_t>(lowest_free);
    setrlimit(RLIMIT_NOFILE, &limit);
    FakeScanHost host;
    AddFolderFilesToList(dir / "A", "*.*", host);
    setrlimit(RLIMIT_NOFILE, &old_limit);
    EXPECT_EQ(host.list.Count(), 0);
    EXPECT_EQ(host.reporter.lines(), (std::vector<int>{108, 204}));
    ASSERT_FALSE(host.reporter.reports().empty());
    EXPECT_NE(host.reporter.reports()[0].find(routines::kFolderScan),
              std::string::npos) << host.reporter.reports()[0];
  });
}

// Makes a chain of folders, each named name, depth deep below root, with a
// file f.txt in each; folder by folder, since the whole path may be longer
// than the platform takes. Returns the removal for the end of the test.
struct DeepChain {
  DeepChain(const std::string& root, const std::string& name, int depth)
      : name_(name) {
    fds_.push_back(open(root.c_str(), O_RDONLY | O_DIRECTORY));
    for (int level = 0; level < depth; ++level) {
      EXPECT_EQ(mkdirat(fds_.back(), name.c_str(), 0755), 0) << level;
      fds_.push_back(openat(fds_.back(), name.c_str(), O_RDONLY | O_DIRECTORY));
      const int file = openat(fds_.back(), "f.txt", O_WRONLY | O_CREAT, 0644);
      EXPECT_GE(file, 0) << level;
      close(file);
    }
  }
  ~DeepChain() {
    for (std::size_t i = fds_.size() - 1; i > 0; --i) {
      unlinkat(fds_[i], "f.txt", 0);
      close(fds_[i]);
      unlinkat(fds_[i - 1], name_.c_str(), AT_REMOVEDIR);
    }
    close(fds_[0]);
  }
  std::string name_;
  std::vector<int> fds_;
};

TEST(FolderScanTest, StopsAtThePathLimit) {
  TempDir dir;
  const std::string name(200, 'n');
  DeepChain chain(dir.path(), name, 25);  // about 5,000 bytes deep
  FakeScanHost host;
  AddFolderFilesToList(dir.path(), "*.txt", host);
  EXPECT_TRUE(host.reporter.reports().empty()) << host.reporter.reports().front();
  // Every file whose path the platform takes, and no other.
  std::string folder = dir.path();
  std::vector<std::string> expected;
  while ((folder + "/" + name + "/f.txt").size() < kMaxPath) {
    folder += "/" + name;
    expected.push_back(folder + "/f.txt");
  }
  EXPECT_EQ(host.list.entries, expected);
  EXPECT_GT(expected.size(), 15u);
}

TEST(FolderScanTest, GetSubDirectoriesKeepsEntriesThatAreNoFolders) {
  TempDir dir;
  dir.Write("A/B/b.txt", "");
  FakeScanHost host;
  std::vector<std::string> scan_set{dir / "missing/", dir / "A/"};
  GetSubDirectories2016(scan_set, true, host);
  EXPECT_EQ(scan_set, (Names{dir / "missing/", dir / "A/", dir / "A/B/"}));
}

TEST(FolderScanTest, GetFolderFilesListsExistingFilesOnly) {
  TempDir dir;
  dir.Write("A/b.txt", "");
  dir.Write("A/~a.txt", "");
  dir.Write("A/.h", "");
  dir.MakeFolder("A/sub.txt");
  fs::create_symlink("b.txt", dir / "A/link.txt");
  fs::create_symlink("gone", dir / "A/dangling.txt");
  ASSERT_EQ(mkfifo((dir / "A/pipe.txt").c_str(), 0644), 0);
  EXPECT_EQ(GetFolderFiles(dir / "A", "*.*"),
            (Names{".h", "b.txt", "link.txt", "~a.txt"}));
  EXPECT_EQ(GetFolderFiles(dir / "A/", "*.txt"), (Names{"b.txt", "link.txt", "~a.txt"}));
  EXPECT_EQ(GetFolderFiles(dir / "missing", "*.*"), Names{});
}

}  // namespace
}  // namespace tarnwick
