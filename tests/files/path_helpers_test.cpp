// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "files/path_helpers.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "files/file_write.h"
#include "files/run_ledger.h"
#include "tests/files/forked_child.h"
#include "tests/support/temp_dir.h"

namespace tarnwick {
namespace {

using testing::ReadAll;
using testing::TempDir;
using Names = std::vector<std::string>;

TEST(ExistenceTests, AnswerTheirOwnQuestions) {
  TempDir dir;
  dir.Write("a.txt", "text");
  dir.Write("empty.txt", "");
  dir.Write("*.txt", "a file named by a pattern");
  chmod(dir.Write("unreadable.txt", "x").c_str(), 0);
  dir.MakeFolder("folder");
  symlink("folder", (dir / "folder-link").c_str());
  symlink("a.txt", (dir / "file-link").c_str());
  symlink("nowhere", (dir / "dangling").c_str());
  mkfifo((dir / "pipe").c_str(), 0644);
  const struct {
    std::string path;
    bool exists, folder, file;
  } cases[] = {
      {dir / "a.txt", true, false, true},
      {dir / "empty.txt", true, false, true},
      {dir / "unreadable.txt", true, false, true},
      {dir / "*.txt", true, false, true},
      {dir / "?.txt", false, false, false},
      {dir / "folder/*.*", false, false, false},
      {dir / "folder", true, true, false},
      {dir / "folder/", true, true, false},
      {dir / "folder-link", true, true, false},
      {dir / "file-link", true, false, true},
      {dir / "dangling", false, false, false},
      {dir / "pipe", true, false, false},  // answered without blocking
      {dir / "missing", false, false, false},
      {"", false, false, false},
      {dir / std::string("a.txt\0x", 7), false, false, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PathExists(c.path), c.exists) << c.path;
    EXPECT_EQ(IsFolder(c.path), c.folder) << c.path;
    EXPECT_EQ(IsExistingFile(c.path), c.file) << c.path;
  }
}

TEST(PathSplitters, SplitAtTheLastSeparator) {
  const std::string deep = std::string(40000, 'd') + "/name";
  const struct {
    std::string path, folder, name;
  } cases[] = {
      {"name.txt", "", "name.txt"},
      {"/in/a.txt", "/in/", "a.txt"},
      {"/in/sub/", "/in/sub/", ""},
      {"/", "/", ""},
      {"", "", ""},
      {"a\\b", "", "a\\b"},  // a backslash is part of a name here
      {deep, deep.substr(0, 40001), "name"},  // no length limit
  };
  for (const auto& c : cases) {
    EXPECT_EQ(GetFolderPart(c.path), c.folder) << c.path.substr(0, 40);
    EXPECT_EQ(GetFileNamePart(c.path), c.name) << c.path.substr(0, 40);
  }
}

TEST(FixBackslashes, CollapsesPairsAndMakesOneRoot) {
  const struct {
    std::string in, out;
  } cases[] = {
      {"/out//a.txt", "/out/a.txt"},      // folder ending in "/" plus "/" name
      {"/out/a.txt", "/out/a.txt"},
      {"out//a.txt", "out/a.txt"},
      {"a///b", "a//b"},                  // one pass of pairs
      {"a////b", "a//b"},
      {"a/////b", "a///b"},
      {"//server/share", "/server/share"},  // no network paths here
      {"////x//y", "/x/y"},
      {"/", "/"},
      {"////", "/"},
      {"", ""},
      {"name", "name"},
  };
  for (const auto& c : cases) EXPECT_EQ(FixBackslashes(c.in), c.out) << c.in;
}

struct stat StatOf(const std::string& path) {
  struct stat info {};
  EXPECT_EQ(stat(path.c_str(), &info), 0) << path;
  return info;
}

TEST(SafeCopyFile, CopiesAndReplacesKeepingTheSourcePermissions) {
  TempDir dir;
  const std::string source = dir.Write("in/a.txt", std::string("bytes\0\xff", 7));
  chmod(source.c_str(), 0640);
  dir.MakeFolder("out");
  // New destination, through a doubled separator; then over an old one.
  EXPECT_EQ(SafeCopyFile(source, dir / "out//a.txt").status, CopyStatus::kCopied);
  dir.Write("out/b.txt", "an older, longer file of the same name");
  const CopyOutcome over = SafeCopyFile(source, dir / "out/b.txt");
  EXPECT_EQ(over.status, CopyStatus::kCopied);
  EXPECT_TRUE(over.ok());
  for (const char* name : {"out/a.txt", "out/b.txt"}) {
    EXPECT_EQ(ReadAll(dir / name), ReadAll(source)) << name;
    EXPECT_EQ(StatOf(dir / name).st_mode & 07777, 0640u) << name;
  }
  // A destination that is a symbolic link: the link stays, its file changes.
  const std::string target = dir.Write("elsewhere/t.txt", "old");
  ASSERT_EQ(symlink(target.c_str(), (dir / "out/link.txt").c_str()), 0);
  EXPECT_EQ(SafeCopyFile(source, dir / "out/link.txt").status, CopyStatus::kCopied);
  EXPECT_EQ(ReadAll(target), ReadAll(source));
  EXPECT_EQ(dir.List("out"), (Names{"a.txt", "b.txt", "link.txt"}));
  EXPECT_EQ(dir.List("elsewhere"), Names{"t.txt"});
  // Never through a dangling link: nothing is created where it points.
  ASSERT_EQ(symlink("../nowhere/x", (dir / "out/dangling").c_str()), 0);
  ASSERT_EQ(symlink("../in/gone", (dir / "out/dangling2").c_str()), 0);
  for (const char* name : {"out/dangling", "out/dangling2"}) {
    const CopyOutcome outcome = SafeCopyFile(source, dir / name);
    EXPECT_EQ(outcome.status, CopyStatus::kDanglingLink) << name;
    EXPECT_THAT(outcome.reason, ::testing::HasSubstr("symbolic link to a missing file"));
  }
  EXPECT_EQ(dir.List("in"), Names{"a.txt"});
}

TEST(SafeCopyFile, IsNothingToDoOnlyForTheSameEntryInItsOwnFolder) {
  TempDir dir;
  const std::string source = dir.Write("in/a.txt", "keep");
  dir.MakeFolder("out");
  ASSERT_EQ(symlink("in", (dir / "in-link").c_str()), 0);
  ASSERT_EQ(link(source.c_str(), (dir / "in/hard").c_str()), 0);
  ASSERT_EQ(link(source.c_str(), (dir / "out/a.txt").c_str()), 0);
  ASSERT_EQ(symlink("../in/a.txt", (dir / "out/soft").c_str()), 0);
  const ino_t inode = StatOf(source).st_ino;
  const struct {
    std::string destination;
    CopyStatus status;
  } cases[] = {
      {source, CopyStatus::kSameFile},
      {dir.path() + "/in//a.txt", CopyStatus::kSameFile},
      {dir / "in-link/a.txt", CopyStatus::kSameFile},  // the folder is followed
      {dir / "in/hard", CopyStatus::kSameFileLinked},
      {dir / "out/a.txt", CopyStatus::kSameFileLinked},
      {dir / "out/soft", CopyStatus::kSameFileLinked},
  };
  for (const auto& c : cases) {
    const CopyOutcome outcome = SafeCopyFile(source, c.destination);
    EXPECT_EQ(outcome.status, c.status) << c.destination;
    EXPECT_EQ(outcome.ok(), c.status == CopyStatus::kSameFile) << c.destination;
  }
  EXPECT_EQ(ReadAll(source), "keep");
  EXPECT_EQ(StatOf(source).st_ino, inode);
  EXPECT_EQ(dir.List("in"), (Names{"a.txt", "hard"}));
  EXPECT_EQ(dir.List("out"), (Names{"a.txt", "soft"}));
}

TEST(SafeCopyFile, WithinARunNeverWritesOverAnotherInputOrItsResult) {
  TempDir dir;
  const std::string a = dir.Write("a/x.txt", "ORIGINAL A");
  const std::string b = dir.Write("b/x.txt", "from b");
  const std::string c = dir.Write("c/x.txt", "from c");
  RunLedger ledger;
  for (const std::string& input : {b, a, c}) ledger.AddInput(input);
  // a/x.txt is an input: b's copy may not take its place.
  CopyOutcome outcome = SafeCopyFile(b, a, &ledger);
  EXPECT_EQ(outcome.status, CopyStatus::kInputInTheWay);
  EXPECT_EQ(DescribeCopyFailure(outcome, b, a),
            "Cannot copy " + b + " to " + a + ": " + a +
                " is another input of this run, which would be lost; nothing "
                "was written.");
  // Rewritten in place it is still protected, under its new inode.
  ReplaceFileContents(a, "ORIGINALA", {.mode = std::nullopt, .ledger = &ledger});
  EXPECT_EQ(SafeCopyFile(c, a, &ledger).status, CopyStatus::kInputInTheWay);
  EXPECT_EQ(ReadAll(a), "ORIGINALA");
  // Copies the run made are replaced, the last one winning, and said so.
  dir.MakeFolder("out");
  EXPECT_TRUE(SafeCopyFile(b, dir / "out/x.txt", &ledger).replaced_result_of.empty());
  EXPECT_TRUE(SafeCopyFile(b, dir / "out/x.txt", &ledger).replaced_result_of.empty());
  outcome = SafeCopyFile(c, dir / "out/x.txt", &ledger);
  EXPECT_EQ(outcome.status, CopyStatus::kCopied);
  EXPECT_EQ(outcome.replaced_result_of, b);
  EXPECT_EQ(ReadAll(dir / "out/x.txt"), "from c");
}

// A rewritten input is known by its new identity only: the file system may
// hand the old inode number to the next file made (often so when tests run
// side by side), and that file is no input.
TEST(SafeCopyFile, ARewrittenInputLeavesItsOldIdentityFree) {
  TempDir dir;
  const std::string a = dir.Write("a/x.txt", "ORIGINAL A");
  RunLedger ledger;
  ledger.AddInput(a);
  const FileId before = IdOf(StatOf(a));
  ASSERT_NE(ledger.InputAt(before), nullptr);
  ReplaceFileContents(a, "ORIGINALA", {.mode = std::nullopt, .ledger = &ledger});
  const FileId after = IdOf(StatOf(a));
  ASSERT_NE(after, before) << "the rewrite kept the inode";
  EXPECT_EQ(ledger.InputAt(before), nullptr);
  const RunLedger::Written* written = ledger.WrittenAt(after);
  ASSERT_NE(written, nullptr);
  EXPECT_EQ(written->origin, RunLedger::Origin::kRewritten);
  EXPECT_EQ(written->source, a);
}

TEST(SafeCopyFile, CopyOfAReadOnlySourceCanBeRewrittenAndReplaced) {
  TempDir dir;
  const std::string source = dir.Write("in/ro.txt", "x y");
  chmod(source.c_str(), 0444);
  dir.MakeFolder("out");
  for (int run = 0; run < 2; ++run) {
    EXPECT_EQ(SafeCopyFile(source, dir / "out/ro.txt").status, CopyStatus::kCopied)
        << "run " << run;
    EXPECT_EQ(StatOf(dir / "out/ro.txt").st_mode & 07777, 0644u) << "run " << run;
  }
  EXPECT_EQ(StatOf(source).st_mode & 07777, 0444u);
}

TEST(SafeCopyFile, ExplainsEveryCopyThatDidNotHappen) {
  TempDir dir;
  const std::string source = dir.Write("a.txt", "new");
  const std::string read_only = dir.Write("out/ro.txt", "old");
  chmod(read_only.c_str(), 0444);
  dir.MakeFolder("out/folder");
  ASSERT_EQ(symlink("loop", (dir / "loop").c_str()), 0);
  const struct {
    std::string from, to;
    CopyStatus status;
    std::string sentence;
  } cases[] = {
      {"   ", dir / "out/x", CopyStatus::kBlankPath, ""},
      {source, "", CopyStatus::kBlankPath, ""},
      {dir / "missing.txt", dir / "out/x", CopyStatus::kSourceMissing,
       "Cannot copy " + dir / "missing.txt" + " to " + dir / "out/x" +
           ": the file does not exist."},
      {dir / "*.txt", dir / "out/x", CopyStatus::kSourceMissing, ""},
      {source + " ", dir / "out/x", CopyStatus::kSourceMissing, ""},  // untrimmed
      {dir / "out", dir / "out/x", CopyStatus::kSourceMissing,
       "Cannot copy " + dir / "out" + " to " + dir / "out/x" +
           ": the source is a folder, not a file."},
      {source, dir / "nowhere/x", CopyStatus::kFolderMissing,
       "Cannot copy " + source + " to " + dir / "nowhere/x" + ": the folder " +
           dir / "nowhere/" + " does not exist."},
      {source, read_only, CopyStatus::kWriteRefused,
       "Cannot copy " + source + " to " + read_only + ": the destination is read-only."},
      {source, dir / "out/folder", CopyStatus::kFailed, ""},
      // The system's own reasons, not "does not exist".
      {dir / "loop", dir / "out/x", CopyStatus::kSourceMissing,
       "Cannot copy " + dir / "loop" + " to " + dir / "out/x" +
           ": Too many levels of symbolic links."},
      {source + "/", dir / "out/x", CopyStatus::kSourceMissing,
       "Cannot copy " + source + "/ to " + dir / "out/x" + ": Not a directory."},
      {dir / std::string(256, 'n'), dir / "out/x", CopyStatus::kSourceMissing,
       "Cannot copy " + dir / std::string(256, 'n') + " to " + dir / "out/x" +
           ": File name too long."},
  };
  for (const auto& c : cases) {
    const CopyOutcome outcome = SafeCopyFile(c.from, c.to);
    EXPECT_EQ(outcome.status, c.status) << c.from << " -> " << c.to;
    EXPECT_FALSE(outcome.ok());
    const std::string sentence = DescribeCopyFailure(outcome, c.from, c.to);
    if (!c.sentence.empty()) {
      EXPECT_EQ(sentence, c.sentence);
    }
    EXPECT_THAT(sentence, ::testing::StartsWith("Cannot copy "));
  }
  EXPECT_EQ(ReadAll(read_only), "old");
  EXPECT_EQ(dir.List("out"), (Names{"folder", "ro.txt"}));
}

TEST(SafeCopyFile, ReportsAFullDiskAndKeepsTheOldDestination) {
  TempDir dir;
  const std::string source = dir.Write("big.txt", std::string(200000, 'b'));
  const std::string small = dir.MakeFolder("small");
  TARNWICK_IN_CHILD([&] {
    testing::MountSmallFileSystem(small, 64 * 1024);
    testing::WriteAll(small + "/big.txt", "old destination");
    const CopyOutcome outcome = SafeCopyFile(source, small + "/big.txt");
    EXPECT_EQ(outcome.status, CopyStatus::kDiskFull);
    EXPECT_EQ(outcome.reason, "No space left on device");
    EXPECT_EQ(ReadAll(small + "/big.txt"), "old destination");
    EXPECT_EQ(dir.List("small"), Names{"big.txt"});
  });
}

TEST(SafeCopyFile, ReportsWhatAnUnprivilegedUserMayNotDo) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to set up files of another user";
  TempDir dir;
  chmod(dir.path().c_str(), 0755);
  const std::string source = dir.Write("a.txt", "new");
  chmod(source.c_str(), 0644);
  const std::string secret = dir.Write("secret.txt", "private");
  chmod(secret.c_str(), 0600);
  const std::string out = dir.MakeFolder("out");
  chmod(out.c_str(), 0777);
  const std::string theirs = dir.Write("out/theirs.txt", "someone else's");
  chmod(theirs.c_str(), 0644);
  const std::string closed = dir.MakeFolder("closed");  // no search permission
  dir.Write("closed/a.txt", "hidden");
  chmod(closed.c_str(), 0700);
  TARNWICK_IN_CHILD([&] {
    testing::BecomeUnprivilegedUser();
    CopyOutcome outcome = SafeCopyFile(source, theirs);
    EXPECT_EQ(outcome.status, CopyStatus::kWriteRefused);
    EXPECT_EQ(outcome.reason, "Permission denied");
    outcome = SafeCopyFile(secret, out + "/secret.txt");
    EXPECT_EQ(outcome.status, CopyStatus::kFailed);
    EXPECT_EQ(outcome.reason, "the source cannot be read (Permission denied)");
    outcome = SafeCopyFile(closed + "/a.txt", out + "/a.txt");
    EXPECT_EQ(outcome.status, CopyStatus::kSourceMissing);
    EXPECT_EQ(outcome.reason, "Permission denied");
  });
  EXPECT_EQ(ReadAll(theirs), "someone else's");
  EXPECT_EQ(dir.List("out"), Names{"theirs.txt"});
}

// PreviewCopyFile answers what SafeCopyFile then does, field by field.
void ExpectSameOutcome(const CopyOutcome& preview, const CopyOutcome& copy,
                       const std::string& context) {
  EXPECT_EQ(preview.status, copy.status) << context;
  EXPECT_EQ(preview.reason, copy.reason) << context;
  EXPECT_EQ(preview.replaced_result_of, copy.replaced_result_of) << context;
  EXPECT_EQ(preview.source_size, copy.source_size) << context;
}

TEST(PreviewCopyFile, AnswersAsTheCopyWritingNothing) {
  TempDir dir;
  const std::string source = dir.Write("a.txt", "new");
  const std::string read_only = dir.Write("out/ro.txt", "old");
  chmod(read_only.c_str(), 0444);
  dir.MakeFolder("out/folder");
  const std::string same = dir.Write("out/same.txt", "same");
  ASSERT_EQ(symlink(source.c_str(), (dir / "out/link.txt").c_str()), 0);
  ASSERT_EQ(symlink("nowhere", (dir / "out/dangling.txt").c_str()), 0);
  const struct {
    std::string from, to;
  } cases[] = {
      {source, dir / "out/new.txt"},      {source, read_only},
      {source, dir / "out/folder"},       {source, same},
      {same, same},                       {source, dir / "out/link.txt"},
      {source, dir / "out/dangling.txt"}, {dir / "missing.txt", dir / "out/x"},
      {dir / "out", dir / "out/x"},       {source, dir / "nowhere/x"},
      {"  ", dir / "out/x"},
  };
  for (const auto& c : cases) {
    const std::vector<std::string> before = dir.List("out");
    const CopyOutcome preview = PreviewCopyFile(c.from, c.to);
    EXPECT_EQ(dir.List("out"), before) << c.to;
    EXPECT_EQ(ReadAll(read_only), "old");
    ExpectSameOutcome(preview, SafeCopyFile(c.from, c.to), c.from + " -> " + c.to);
  }
  EXPECT_EQ(PreviewCopyFile(source, dir / "out/new.txt").source_size, 3u);
}

TEST(PreviewCopyFile, SeesWithinARunWhatTheCopiesBeforeItWouldHaveMade) {
  TempDir dir;
  const std::string a = dir.Write("a/x.txt", "from a");
  const std::string b = dir.Write("b/x.txt", "from b");
  const std::string c = dir.Write("c/x.txt", "from c");
  dir.MakeFolder("out");
  const std::string steps[][2] = {
      {b, dir / "out/x.txt"}, {b, dir / "out/x.txt"}, {c, dir / "out/x.txt"},
      {c, a},  // another input
  };
  std::vector<CopyOutcome> previews;
  {
    RunLedger ledger;
    for (const std::string& input : {a, b, c}) ledger.AddInput(input);
    for (const auto& step : steps) {
      previews.push_back(PreviewCopyFile(step[0], step[1], &ledger));
    }
  }
  EXPECT_TRUE(dir.List("out").empty());
  EXPECT_EQ(previews[2].replaced_result_of, b);
  RunLedger ledger;
  for (const std::string& input : {a, b, c}) ledger.AddInput(input);
  for (std::size_t k = 0; k < std::size(steps); ++k) {
    ExpectSameOutcome(previews[k], SafeCopyFile(steps[k][0], steps[k][1], &ledger),
                      "step " + std::to_string(k));
  }
}

TEST(PreviewCopyFile, RefusesWhatTheSystemWouldRefuseAnUnprivilegedUser) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to set up files of another user";
  TempDir dir;
  chmod(dir.path().c_str(), 0755);
  const std::string source = dir.Write("a.txt", "new");
  chmod(source.c_str(), 0644);
  const std::string open_folder = dir.MakeFolder("open");
  chmod(open_folder.c_str(), 0777);
  const std::string theirs = dir.Write("open/theirs.txt", "someone else's");
  chmod(theirs.c_str(), 0644);
  const std::string shut = dir.MakeFolder("shut");  // takes no new file
  chmod(shut.c_str(), 0755);
  TARNWICK_IN_CHILD([&] {
    testing::BecomeUnprivilegedUser();
    for (const std::string& to : {theirs, shut + "/a.txt"}) {
      const CopyOutcome preview = PreviewCopyFile(source, to);
      EXPECT_EQ(preview.status, CopyStatus::kWriteRefused) << to;
      ExpectSameOutcome(preview, SafeCopyFile(source, to), to);
    }
  });
  EXPECT_EQ(ReadAll(theirs), "someone else's");
  EXPECT_TRUE(dir.List("shut").empty());
}

}  // namespace
}  // namespace tarnwick
