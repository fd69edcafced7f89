// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "files/file_write.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include <sys/xattr.h>

#include <cerrno>
#include <cstring>

#include "files/file_error.h"
#include "files/path_helpers.h"
#include "files/pending_replacement.h"
#include "files/replacement_journal.h"
#include "files/run_ledger.h"
#include "files/system_calls.h"
#include "tests/files/forked_child.h"
#include "tests/support/counting_journal.h"
#include "tests/support/temp_dir.h"

namespace tarnwick {
namespace {

using testing::ReadAll;
using testing::TempDir;
using testing::WriteAll;
using ::testing::HasSubstr;
using Names = std::vector<std::string>;

struct stat StatOf(const std::string& path) {
  struct stat info {};
  EXPECT_EQ(stat(path.c_str(), &info), 0) << path;
  return info;
}

mode_t ModeOf(const std::string& path) { return StatOf(path).st_mode & 07777; }

// Expects ReplaceFileContents to fail, naming the path and the reason,
// and returns the failure's reason.
std::string ExpectRefused(const std::string& path, std::string_view bytes) {
  try {
    ReplaceFileContents(path, bytes);
  } catch (const FileError& error) {
    EXPECT_EQ(error.path(), path);
    EXPECT_THAT(error.what(), HasSubstr(path));
    EXPECT_FALSE(error.reason().empty());
    return error.reason();
  }
  ADD_FAILURE() << "writing " << path << " was not refused";
  return "";
}

TEST(ReplaceFileContents, ReplacesContentExactlyAndKeepsPermissionBits) {
  TempDir dir;
  const std::string path = dir.Write("a.txt", "old content\r\n");
  chmod(path.c_str(), 0640);
  for (const std::string& bytes : {std::string("new"), std::string(),
                                   std::string("\0\xff\xfe\r\n", 5)}) {
    ReplaceFileContents(path, bytes);
    EXPECT_EQ(ReadAll(path), bytes);  // nothing appended
    EXPECT_EQ(ModeOf(path), 0640u);
  }
  ReplaceFileContents(path, "given mode", {.mode = 0600});
  EXPECT_EQ(ModeOf(path), 0600u);
  EXPECT_EQ(dir.List(), Names{"a.txt"});
}

TEST(ReplaceFileContents, CreatesAMissingFileWithTheUmask) {
  TempDir dir;
  const mode_t old_mask = umask(022);
  ReplaceFileContents(dir / "new.txt", "fresh");
  umask(old_mask);
  EXPECT_EQ(ReadAll(dir / "new.txt"), "fresh");
  EXPECT_EQ(ModeOf(dir / "new.txt"), 0644u);
  ReplaceFileContents(dir / "given.txt", "", {.mode = 0604});
  EXPECT_EQ(ModeOf(dir / "given.txt"), 0604u);
}

TEST(ReplaceFileContents, LeavesAFileWithTheSameContentUntouched) {
  TempDir dir;
  const std::string path = dir.Write("same.txt", "unchanged");
  const ino_t inode = StatOf(path).st_ino;
  ReplaceFileContents(path, "unchanged");
  EXPECT_EQ(StatOf(path).st_ino, inode);
  // A read-only file that would not change is no failure either.
  chmod(path.c_str(), 0444);
  EXPECT_NO_THROW(ReplaceFileContents(path, "unchanged"));
}

TEST(ReplaceFileContents, RewritesTheTargetOfASymbolicLinkAndKeepsTheLink) {
  TempDir dir;
  const std::string target = dir.Write("real/target.txt", "old");
  dir.MakeFolder("links");
  // A chain: an absolute link to a relative one.
  ASSERT_EQ(symlink("../real/target.txt", (dir / "links/relative").c_str()), 0);
  ASSERT_EQ(symlink((dir / "links/relative").c_str(), (dir / "links/a.txt").c_str()), 0);
  ReplaceFileContents(dir / "links/a.txt", "new");
  EXPECT_EQ(ReadAll(target), "new");
  struct stat link {};
  ASSERT_EQ(lstat((dir / "links/a.txt").c_str(), &link), 0);
  EXPECT_TRUE(S_ISLNK(link.st_mode));
  EXPECT_EQ(dir.List("links"), (Names{"a.txt", "relative"}));
  EXPECT_EQ(dir.List("real"), Names{"target.txt"});
}

TEST(ReplaceFileContentsFailure, RefusesWhatCannotBeWrittenAndKeepsTheOldFile) {
  TempDir dir;
  const std::string read_only = dir.Write("read-only.txt", "keep me");
  chmod(read_only.c_str(), 0444);
  dir.MakeFolder("folder");
  ASSERT_EQ(symlink("loop2", (dir / "loop1").c_str()), 0);
  ASSERT_EQ(symlink("loop1", (dir / "loop2").c_str()), 0);
  const struct {
    std::string path;
    std::string reason;
  } cases[] = {
      {read_only, "the file is read-only"},
      {dir / "folder", "Is a directory"},
      {dir / "missing/a.txt", "does not exist"},
      {dir / "loop1", "Too many levels of symbolic links"},
      {"", "No such file or directory"},
  };
  for (const auto& c : cases) {
    EXPECT_THAT(ExpectRefused(c.path, "new"), HasSubstr(c.reason)) << c.path;
  }
  EXPECT_EQ(ReadAll(read_only), "keep me");
  EXPECT_EQ(ModeOf(read_only), 0444u);
  EXPECT_EQ(dir.List(), (Names{"folder", "loop1", "loop2", "read-only.txt"}));
}

TEST(ReplaceFileContentsFailure, AsAnUnprivilegedUser) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to set up files of another user";
  TempDir dir;
  chmod(dir.path().c_str(), 0755);
  // A folder the user owns but may not write, holding the user's file.
  const std::string locked = dir.MakeFolder("locked");
  const std::string own = dir.Write("locked/a.txt", "old bytes");
  ASSERT_EQ(chown(own.c_str(), 65534, 65534), 0);
  ASSERT_EQ(chown(locked.c_str(), 65534, 65534), 0);
  chmod(locked.c_str(), 0555);
  // A writable folder holding a file the system will not let the user
  // write, although its owner write bit is set.
  const std::string open = dir.MakeFolder("open");
  chmod(open.c_str(), 0777);
  const std::string foreign = dir.Write("open/b.txt", "not yours");
  chmod(foreign.c_str(), 0644);

  TARNWICK_IN_CHILD([&] {
    testing::BecomeUnprivilegedUser();
    EXPECT_THAT(ExpectRefused(own, "new"), HasSubstr("Permission denied"));
    EXPECT_THAT(ExpectRefused(foreign, "new"), HasSubstr("Permission denied"));
  });
  EXPECT_EQ(ReadAll(own), "old bytes");
  EXPECT_EQ(ReadAll(foreign), "not yours");
  EXPECT_EQ(dir.List("locked"), Names{"a.txt"});
  EXPECT_EQ(dir.List("open"), Names{"b.txt"});
}

TEST(ReplaceFileContentsFailure, OnAFullDisk) {
  TempDir dir;
  const std::string small = dir.MakeFolder("small");
  TARNWICK_IN_CHILD([&] {
    testing::MountSmallFileSystem(small, 64 * 1024);
    const std::string path = small + "/a.txt";
    const std::string old(20000, 'o');
    ReplaceFileContents(path, old);
    EXPECT_THAT(ExpectRefused(path, std::string(100000, 'n')),
                HasSubstr("No space left on device"));
    EXPECT_EQ(ReadAll(path), old);
    EXPECT_EQ(dir.List("small"), Names{"a.txt"});
  });
}

TEST(ReplaceFileContents, WritesOnlyFromTheFirstDifferenceYetGivesExactBytes) {
  TempDir dir;
  std::string old;
  for (int i = 0; i < 3 << 20; ++i) old.push_back(static_cast<char>(i * 13));
  std::string late_change = old;
  late_change[(5 << 20) / 2] ^= 1;
  const std::string cases[] = {late_change, old + "tail", old.substr(0, 100),
                               old.substr(0, (1 << 20) + 7), ""};
  for (const std::string& bytes : cases) {
    const std::string path = dir.Write("a.bin", old);
    ReplaceFileContents(path, bytes);
    EXPECT_EQ(ReadAll(path), bytes) << bytes.size();
  }
  EXPECT_EQ(dir.List(), Names{"a.bin"});
}

TEST(ReplaceFileContents, KeepsGroupAndExtendedAttributes) {
  TempDir dir;
  const std::string path = dir.Write("a.txt", "old");
  if (setxattr(path.c_str(), "user.note", "kept", 4, 0) != 0) {
    GTEST_SKIP() << "no user attributes here: " << std::strerror(errno);
  }
  ASSERT_EQ(chown(path.c_str(), geteuid(), 65534), 0) << std::strerror(errno);
  // The owner cannot be given (as for a group member who is not the
  // owner): the group alone is kept.
  SystemCallsRestorer restore;
  FileSystemCalls().fchown = [](int fd, uid_t owner, gid_t group) {
    if (owner != static_cast<uid_t>(-1)) {
      errno = EPERM;
      return -1;
    }
    return ::fchown(fd, owner, group);
  };
  ReplaceFileContents(path, "new");
  EXPECT_EQ(ReadAll(path), "new");
  EXPECT_EQ(StatOf(path).st_gid, 65534u);
  char value[16] = {};
  EXPECT_EQ(getxattr(path.c_str(), "user.note", value, sizeof value), 4);
  EXPECT_STREQ(value, "kept");
  // An attribute that cannot be kept is a failure that keeps the old file.
  FileSystemCalls().fsetxattr = [](int, const char*, const void*, size_t, int) {
    errno = EPERM;
    return -1;
  };
  EXPECT_THAT(ExpectRefused(path, "newer"),
              HasSubstr("cannot keep its extended attribute user.note"));
  EXPECT_EQ(ReadAll(path), "new");
  EXPECT_EQ(dir.List(), Names{"a.txt"});
}

TEST(ReplaceFileContentsFailure, EveryFailingCallKeepsTheOldFile) {
  using Calls = SystemCalls;
  const struct {
    const char* call;
    void (*inject)(Calls&);
    const char* reason;
  } cases[] = {
      {"create", [](Calls& c) { c.create_at = [](int, const char*, int, mode_t) { errno = EACCES; return -1; }; },
       "is not writable (Permission denied)"},
      {"create, read-only file system", [](Calls& c) { c.create_at = [](int, const char*, int, mode_t) { errno = EROFS; return -1; }; },
       "is not writable (Read-only file system)"},
      {"create, disk full", [](Calls& c) { c.create_at = [](int, const char*, int, mode_t) { errno = ENOSPC; return -1; }; },
       "cannot create a temporary file beside it (No space left on device)"},
      {"write", [](Calls& c) { c.write = [](int, const void*, size_t) -> ssize_t { errno = EIO; return -1; }; },
       "Input/output error"},
      {"fsync", [](Calls& c) { c.fsync = [](int) { errno = EIO; return -1; }; }, "Input/output error"},
      {"close", [](Calls& c) { c.close = [](int fd) { ::close(fd); errno = EDQUOT; return -1; }; },
       "Disk quota exceeded"},
      {"rename", [](Calls& c) { c.rename_at = [](int, const char*, int, const char*) { errno = EXDEV; return -1; }; },
       "Invalid cross-device link"},
  };
  TempDir dir;
  const std::string path = dir.Write("a.txt", "old content");
  for (const auto& c : cases) {
    SystemCallsRestorer restore;
    c.inject(FileSystemCalls());
    EXPECT_THAT(ExpectRefused(path, "new content"), HasSubstr(c.reason)) << c.call;
    EXPECT_EQ(ReadAll(path), "old content") << c.call;
    EXPECT_EQ(dir.List(), Names{"a.txt"}) << c.call;
  }
}

TEST(ReplaceFileContentsFailure, AFolderThatCannotBeWrittenIsNamed) {
  SystemCallsRestorer restore;
  FileSystemCalls().create_at = [](int, const char*, int, mode_t) {
    errno = EACCES;
    return -1;
  };
  TempDir dir;
  const std::string path = dir.Write("sub/a.txt", "old");
  EXPECT_EQ(ExpectRefused(path, "new"),
            "the folder " + dir.path() + "/sub is not writable (Permission denied)");
}

TEST(PendingReplacement, TemporaryNameCarriesTheTargetsNameWithinTheLimit) {
  EXPECT_EQ(TemporaryName("a.txt", "0123abcd"), ".a.txt.tarnwick-0123abcd");
  std::string long_name(250, 'n');
  long_name.replace(236, 2, "Ã©");  // a character across the cut
  const std::string temporary = TemporaryName(long_name, "0123abcd");
  EXPECT_LE(temporary.size(), 255u);
  EXPECT_EQ(temporary, "." + long_name.substr(0, 236) + ".tarnwick-0123abcd");
}

TEST(PendingReplacement, RewritesAFileWhosePathIsNearTheLimit) {
  TempDir dir;
  std::string folder = dir.path();
  // Folders until a 240-byte name makes the path 4095 bytes long: the
  // temporary's name fits the name limit, its path would not fit.
  while (folder.size() < 4095 - 241) {
    folder += "/" + std::string(std::min<std::size_t>(200, 4095 - 241 - folder.size() - 1), 'd');
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
  }
  const std::string path =
      folder + "/" + std::string(4095 - folder.size() - 1, 'f');
  ASSERT_EQ(path.size(), 4095u);
  ReplaceFileContents(path, "first");
  ReplaceFileContents(path, "second");
  EXPECT_EQ(ReadAll(path), "second");
}

// The error a replacement of path by bytes throws, or "" when none.
std::string ReplacementError(const std::string& path, std::string_view bytes,
                             Preview preview, RunLedger* ledger = nullptr) {
  try {
    PendingReplacement replacement(path, std::nullopt,
                                   {ledger, preview, /*seal=*/nullptr});
    replacement.Write(bytes);
    replacement.Commit();
    return replacement.unchanged() ? "unchanged" : "changed";
  } catch (const FileError& error) {
    return error.what();
  }
}

TEST(PendingReplacement, PreviewComparesAndRefusesAsTheWriteButWritesNothing) {
  TempDir dir;
  const std::string writable = dir.Write("w.txt", "abc");
  const std::string read_only = dir.Write("r.txt", "abc");
  chmod(read_only.c_str(), 0444);
  const struct {
    std::string path, bytes;
    Preview preview;
    std::string expected;
  } cases[] = {
      {writable, "abc", Preview::kChecked, "unchanged"},
      {writable, "abd", Preview::kChecked, "changed"},
      {writable, "ab", Preview::kChecked, "changed"},  // a shorter start
      {writable, "abcd", Preview::kUnchecked, "changed"},
      {read_only, "abc", Preview::kChecked, "unchanged"},
      {read_only, "xyz", Preview::kChecked,
       "Cannot write " + read_only + ": the file is read-only."},
      // The file stands for the run's own copy, which may be rewritten.
      {read_only, "xyz", Preview::kUnchecked, "changed"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ReplacementError(c.path, c.bytes, c.preview), c.expected)
        << c.path << " <- " << c.bytes;
    EXPECT_EQ(dir.List(), (Names{"r.txt", "w.txt"}));
    EXPECT_EQ(ReadAll(c.path), "abc");
    // The preview's verdict or refusal is the write's own.
    if (c.preview == Preview::kChecked) {
      EXPECT_EQ(ReplacementError(c.path, c.bytes, Preview::kOff), c.expected);
      ReplaceFileContents(writable, "abc");
    }
  }
}

TEST(RunLedger, EditsNeverCreateAndTheRunsOwnCopiesAreNotFlushed) {
  TempDir dir;
  const std::string input = dir.Write("in/a.txt", "input");
  const std::string older = dir.Write("out/old.txt", "an older output");
  SystemCallsRestorer restore;
  static int flushes;
  flushes = 0;
  FileSystemCalls().fsync = [](int fd) { ++flushes; return ::fsync(fd); };
  RunLedger ledger;
  try {
    ReplaceFileContents(dir / "out/gone.txt", "x", {.mode = std::nullopt, .ledger = &ledger});
    ADD_FAILURE() << "an edit created a file";
  } catch (const FileError& error) {
    EXPECT_THAT(error.what(), HasSubstr("the file has gone"));
  }
  ASSERT_TRUE(SafeCopyFile(input, dir / "out/a.txt", &ledger).ok());
  ReplaceFileContents(dir / "out/a.txt", "edited copy", {.mode = std::nullopt, .ledger = &ledger});
  EXPECT_EQ(flushes, 0);
  ReplaceFileContents(older, "edited older output", {.mode = std::nullopt, .ledger = &ledger});
  EXPECT_EQ(flushes, 1);
  ReplaceFileContents(input, "edited input", {.mode = std::nullopt, .ledger = &ledger});
  EXPECT_EQ(flushes, 2);
  EXPECT_EQ(dir.List("out"), (Names{"a.txt", "old.txt"}));
  EXPECT_EQ(ledger.written().size(), 3u);
}

TEST(PendingReplacement, AFileChangedByOthersMeanwhileIsLeftAsTheyLeftIt) {
  // What someone else does to the name while the run writes its new file:
  // done from inside the close that comes just before the rename, or, for
  // a new file without a name, from the call that makes it.
  static std::string target;
  static void (*meanwhile)(const std::string&);
  static bool done;
  const struct {
    const char* what;
    bool copy;  // a copy onto a free name, else an edit of "old content"
    void (*meanwhile)(const std::string&);
    const char* reason;   // "" for none
    const char* left;     // the content left at the name, nullptr for none
    bool older = false;   // a copy onto a name that holds "older"
  } cases[] = {
      {"nothing", false, [](const std::string&) {}, "", "new content"},
      {"saved over by rename", false,
       [](const std::string& path) {
         WriteAll(path + ".e", "USER");
         ::rename((path + ".e").c_str(), path.c_str());
       },
       "changed while it was being edited", "USER"},
      {"rewritten in place", false,
       [](const std::string& path) { WriteAll(path, "USER"); },
       "changed while it was being edited", "USER"},
      {"same size, later time", false,
       [](const std::string& path) {
         WriteAll(path, "user edited");
         const timespec times[2] = {{0, UTIME_OMIT}, {1, 5}};
         utimensat(AT_FDCWD, path.c_str(), times, 0);
       },
       "changed while it was being edited", "user edited"},
      {"removed", false, [](const std::string& path) { ::unlink(path.c_str()); },
       "removed while it was being edited", nullptr},
      {"copy, nothing", true, [](const std::string&) {}, "", "source"},
      {"copy, name taken", true,
       [](const std::string& path) { WriteAll(path, "USER"); },
       "a file appeared at this name", "USER"},
      // A copy over an older file: a save to that file is kept too.
      {"copy, older file rewritten in place", true,
       [](const std::string& path) {
         if (ReadAll(path) == "older") WriteAll(path, "USER");
       },
       "changed while it was being edited", "USER", true},
  };
  for (const auto& c : cases) {
    TempDir dir;
    const std::string source = dir.Write("in/a.txt", "source");
    target = dir / "out/a.txt";
    if (c.older) {
      dir.Write("out/a.txt", "older");
    } else if (c.copy) {
      ASSERT_EQ(mkdir((dir / "out").c_str(), 0755), 0);
    } else {
      dir.Write("out/a.txt", "old content");
    }
    meanwhile = c.meanwhile;
    SystemCallsRestorer restore;
    done = false;
    FileSystemCalls().close = [](int fd) {
      const int result = ::close(fd);
      if (!std::exchange(done, true)) meanwhile(target);
      return result;
    };
    FileSystemCalls().create_at = [](int folder, const char* name, int flags,
                                     mode_t mode) {
      const int result = ::openat(folder, name, flags, mode);
      if ((flags & O_TMPFILE) == O_TMPFILE && result >= 0 &&
          !std::exchange(done, true)) {
        meanwhile(target);
      }
      return result;
    };
    testing::CountingJournal journal;
    RunLedger ledger;
    ledger.SetJournal(&journal);
    std::string reason;
    if (c.copy) {
      reason = SafeCopyFile(source, target, &ledger).reason;
    } else {
      reason = ReplacementError(target, "new content", Preview::kOff, &ledger);
      if (reason == "changed") reason.clear();
    }
    if (*c.reason == '\0') {
      EXPECT_EQ(reason, "") << c.what;
      EXPECT_EQ(journal.told, 1) << c.what;
    } else {
      EXPECT_THAT(reason, HasSubstr(c.reason)) << c.what;
      EXPECT_EQ(journal.told, 0) << c.what;
    }
    if (c.left != nullptr) {
      EXPECT_EQ(ReadAll(target), c.left) << c.what;
      EXPECT_EQ(dir.List("out"), Names{"a.txt"}) << c.what;
    } else {
      EXPECT_EQ(dir.List("out"), Names{}) << c.what;
    }
  }
}

// A copy of source made for the name to, with "new" as its content,
// sealed (not named) into sealed.
void SealCopy(const std::string& source, const std::string& to,
              SealedFile& sealed) {
  PendingReplacement copy(to, 0644, {source, IdOf(StatOf(source)), -1, 0},
                          {.ledger = nullptr, .preview = Preview::kOff,
                           .seal = &sealed});
  copy.Write("new");
  copy.Commit();
}

TEST(PendingReplacement, ASealedCopyIsNamedOnlyWhileItsNameIsFree) {
  // Made ahead outside the run, named by the run later: what may have
  // happened to the name and the folder meanwhile.
  const struct {
    const char* what;
    void (*meanwhile)(const TempDir& dir);
    bool named;
    const char* left;  // at out/a.txt, nullptr for nothing
  } cases[] = {
      {"nothing", [](const TempDir&) {}, true, "new"},
      {"name taken",
       [](const TempDir& dir) { dir.Write("out/a.txt", "USER"); }, false,
       "USER"},
      {"folder moved away",
       [](const TempDir& dir) {
         ::rename((dir / "out").c_str(), (dir / "moved").c_str());
         dir.MakeFolder("out");
       },
       false, nullptr},
      {"never named", nullptr, false, nullptr},
  };
  // The new file has no name until then.
  for (const auto& c : cases) {
    TempDir dir;
    const std::string source = dir.Write("in/a.txt", "source");
    dir.MakeFolder("out");
    SealedFile sealed;
    SealCopy(source, dir / "out/a.txt", sealed);
    EXPECT_EQ(dir.List("out"), Names{}) << c.what;
    testing::CountingJournal journal;
    RunLedger ledger;
    ledger.SetJournal(&journal);
    if (c.meanwhile == nullptr) {
      sealed = SealedFile();
    } else {
      c.meanwhile(dir);
      EXPECT_EQ(PublishSealed(sealed, &ledger), c.named) << c.what;
    }
    EXPECT_EQ(journal.told, c.named ? 1 : 0) << c.what;
    EXPECT_EQ(ledger.written().size(), c.named ? 1u : 0u) << c.what;
    EXPECT_EQ(dir.List("out"), c.left ? Names{"a.txt"} : Names{}) << c.what;
    if (c.left != nullptr) {
      EXPECT_EQ(ReadAll(dir / "out/a.txt"), c.left) << c.what;
    }
    if (std::filesystem::exists(dir / "moved")) {
      EXPECT_EQ(dir.List("moved"), Names{}) << c.what;  // no new file left
    }
  }
}

TEST(PendingReplacement, NoCopyIsSealedWhereFilesCannotBeMadeWithoutAName) {
  // It would wait under a name a killed run leaves behind.
  TempDir dir;
  const std::string source = dir.Write("in/a.txt", "source");
  dir.MakeFolder("out");
  SystemCallsRestorer restore;
  FileSystemCalls().create_at = [](int folder, const char* name, int flags,
                                   mode_t mode) {
    if ((flags & O_TMPFILE) == O_TMPFILE) {
      errno = EOPNOTSUPP;
      return -1;
    }
    return ::openat(folder, name, flags, mode);
  };
  SealedFile sealed;
  try {
    SealCopy(source, dir / "out/a.txt", sealed);
    ADD_FAILURE() << "sealed under a name";
  } catch (const FileError& error) {
    EXPECT_EQ(error.error_number(), EOPNOTSUPP);
  }
  EXPECT_EQ(dir.List("out"), Names{});
  // Without sealing, a named temporary serves.
  ReplaceFileContents(dir / "out/b.txt", "b", {.mode = std::nullopt, .ledger = nullptr});
  EXPECT_EQ(dir.List("out"), Names{"b.txt"});
}

TEST(PendingReplacement, NoCopyIsSealedThroughALink) {
  // A link at the name, to a free name elsewhere, when the copy is made
  // ahead: by the run's turn the link may be gone, and the copy then
  // belongs at the name itself; the run makes it in its turn.
  TempDir dir;
  const std::string source = dir.Write("in/a.txt", "source");
  dir.MakeFolder("out");
  dir.MakeFolder("elsewhere");
  ASSERT_EQ(::symlink("../elsewhere/a.txt", (dir / "out/a.txt").c_str()), 0);
  SealedFile sealed;
  EXPECT_THROW(SealCopy(source, dir / "out/a.txt", sealed), FileError);
  EXPECT_FALSE(sealed.holds_file());
  EXPECT_EQ(dir.List("elsewhere"), Names{});
}

TEST(ReadFileBytes, ReadsEveryByte) {
  TempDir dir;
  std::string bytes;
  for (int i = 0; i < 3 << 20; ++i) bytes.push_back(static_cast<char>(i * 7));
  ReplaceFileContents(dir / "big.bin", bytes);
  EXPECT_EQ(ReadFileBytes(dir / "big.bin"), bytes);
  EXPECT_EQ(ReadFileBytes(dir.Write("empty", "")), "");
}

TEST(ReadFileBytes, FailsNamingTheFile) {
  TempDir dir;
  dir.MakeFolder("folder");
  ASSERT_EQ(mkfifo((dir / "pipe").c_str(), 0644), 0);
  const struct {
    std::string path;
    std::string reason;
  } cases[] = {
      {dir / "missing", "No such file or directory"},
      {dir / "folder", "Is a directory"},
      {dir / "pipe", "not a regular file"},  // and does not wait for a writer
  };
  for (const auto& c : cases) {
    try {
      ReadFileBytes(c.path);
      ADD_FAILURE() << c.path << " was read";
    } catch (const FileError& error) {
      EXPECT_EQ(error.what(), "Cannot read " + c.path + ": " + error.reason() + ".");
      EXPECT_THAT(error.reason(), HasSubstr(c.reason));
    }
  }
}

}  // namespace
}  // namespace tarnwick
