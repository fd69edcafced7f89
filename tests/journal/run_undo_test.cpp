// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// Undo: each file against the identity its own last write left, kept
// originals put back (also from another file system, with their bits and
// times), runs refused whole when their record is damaged or still being
// written, and concurrent runs undone newest first each to its own files.
#include "journal/run_undo.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "files/file_error.h"
#include "files/file_write.h"
#include "files/path_helpers.h"
#include "files/run_ledger.h"
#include "files/unique_fd.h"
#include "journal/journal_record.h"
#include "journal/journal_store.h"
#include "journal/run_journal.h"
#include "tests/journal/fault_calls.h"
#include "tests/support/temp_dir.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;
using testing::FaultCalls;
using testing::FaultPlan;
using testing::ReadAll;
using testing::TempDir;
using testing::WriteAll;

void WriteInRun(RunJournal& journal, const std::string& path,
                const std::string& bytes) {
  RunLedger ledger;
  ledger.SetJournal(&journal);
  ReplaceFileContents(path, bytes, {.mode = std::nullopt, .ledger = &ledger});
}

std::string Describe(const UndoResult& undo) {
  std::string text = undo.error;
  for (const UndoItem& item : undo.items) {
    text += std::string(item.what == UndoItem::What::kRestored    ? "restored "
                        : item.what == UndoItem::What::kRemoved   ? "removed "
                        : item.what == UndoItem::What::kUnchanged ? "unchanged "
                                                                  : "left ") +
            fs::path(item.path).filename().string() +
            (item.reason.empty() ? "" : " (" + item.reason + ")") + "; ";
  }
  return text;
}

// Every file below root with its bytes, mode and modification time.
std::map<std::string, std::string> Snapshot(const std::string& root) {
  std::map<std::string, std::string> tree;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    struct stat info {};
    lstat(entry.path().c_str(), &info);
    std::string value = std::to_string(info.st_mode) + ":" +
                        std::to_string(info.st_mtim.tv_sec) + "." +
                        std::to_string(info.st_mtim.tv_nsec);
    if (entry.is_regular_file()) value += ":" + ReadAll(entry.path());
    tree[entry.path().string()] = value;
  }
  return tree;
}

TEST(RunUndoTest, EachFileIsComparedWithWhatItsOwnLastWriteLeft) {
  struct Case {
    const char* name;
    // After the file's write in the run, before the run ends.
    void (*meanwhile)(const std::string& path);
    std::string undo;
    std::string content;  // after undo
  };
  const Case cases[] = {
      {"untouched", [](const std::string&) {}, "restored a; ", "old"},
      {"edited by the user while the run went on",
       [](const std::string& path) { WriteAll(path, "user's edit"); },
       "left a (it has changed since the run); ", "user's edit"},
      {"removed", [](const std::string& path) { unlink(path.c_str()); },
       "left a (it is no longer there); ", "(none)"},
  };
  for (const Case& c : cases) {
    TempDir dir;
    const std::string a = dir.Write("f/a", "old");
    const std::string later = dir.Write("f/later", "l1");
    {
      RunJournal journal(dir / "j", {}, "op", dir / "f");
      WriteInRun(journal, a, "new");
      c.meanwhile(a);
      WriteInRun(journal, later, "l2");  // the run goes on after that
      journal.Finish();
    }
    const UndoResult undo = UndoRun(dir / "j", "");
    EXPECT_EQ(Describe(undo), "restored later; " + c.undo) << c.name;
    struct stat info {};
    EXPECT_EQ(lstat(a.c_str(), &info) == 0 ? ReadAll(a) : "(none)", c.content)
        << c.name;
  }
}

TEST(RunUndoTest, AWriteRecordedButNeverDoneNeedsNothing) {
  TempDir dir;
  const std::string a = dir.Write("f/a", "old");
  {
    RunJournal journal(dir / "j", {}, "op", dir / "f");
    FaultCalls faults(FaultPlan().Failing("rename_at", EIO));
    EXPECT_THROW(WriteInRun(journal, a, "new"), FileError);
  }
  EXPECT_EQ(ListRuns(dir / "j").size(), 1u);
  EXPECT_EQ(Describe(UndoRun(dir / "j", "")),
            "unchanged a (its write never took place); ");
  EXPECT_EQ(ReadAll(a), "old");
  EXPECT_TRUE(ListRuns(dir / "j").empty());
}

TEST(RunUndoTest, AFileTheRunMadeThatIsGoneAlreadyNeedsNothing) {
  TempDir dir;
  const std::string made = dir / "f/made";
  const std::string source = dir.Write("src/made", "new");
  const std::string kept = dir.Write("f/kept", "old");
  {
    RunJournal journal(dir / "j", {}, "op", dir / "f");
    {
      RunLedger ledger;
      ledger.SetJournal(&journal);
      ASSERT_TRUE(SafeCopyFile(source, made, &ledger).ok());
    }
    WriteInRun(journal, kept, "new");
    journal.Finish();
  }
  unlink(made.c_str());
  EXPECT_EQ(Describe(UndoRun(dir / "j", "")),
            "restored kept; unchanged made (it is no longer there); ");
  EXPECT_TRUE(ListRuns(dir / "j").empty());
}

// A run that ended with all its kept files named notes so beside its
// records, so that pruning need not read them; once the records change the
// kept files are checked against them again.
TEST(RunUndoTest, AnEndedRunIsReadAgainForUnnamedKeptFilesOnceItsRecordsChange) {
  TempDir dir;
  const std::string a = dir.Write("f/a", "old");
  {
    RunJournal journal(dir / "j", {}, "op", dir / "f");
    WriteInRun(journal, a, "new");
    journal.Finish();
  }
  const std::vector<JournaledRun> runs = ListRuns(dir / "j");
  ASSERT_EQ(runs.size(), 1u);
  const std::string run = RunFolder(dir / "j", runs[0].id);
  EXPECT_TRUE(KeptNamedStillHolds(run));
  EXPECT_FALSE(RunHoldsUnnamedKept(run, false));
  // Old content no record names, and records that grew since the end.
  testing::WriteAll(run + "/99", "lost content");
  std::ofstream(run + "/" + kRecordFileName, std::ios::app) << "x";
  EXPECT_TRUE(RunHoldsUnnamedKept(run, false));
}

TEST(RunUndoTest, ConcurrentRunsUndoneNewestFirstRestoreEachItsOwnFiles) {
  TempDir dir;
  std::vector<std::string> files;
  for (int k = 0; k < 40; ++k) {
    files.push_back(dir.Write("f/" + std::to_string(k), "v0 " + std::to_string(k)));
  }
  const auto before = Snapshot(dir / "f");
  {
    RunJournal first(dir / "j", {}, "first", dir / "f");
    RunJournal second(dir / "j", {}, "second", dir / "f");
    // The two runs take turns on the same files, the first one starting.
    for (std::size_t k = 0; k < files.size(); ++k) {
      WriteInRun(first, files[k], "v1 " + std::to_string(k));
      if (k % 2 == 0) WriteInRun(second, files[k], "v2 " + std::to_string(k));
    }
    EXPECT_EQ(first.Finish().id, "1");
    EXPECT_EQ(second.Finish().id, "2");
  }
  const UndoResult newest = UndoRun(dir / "j", "");
  EXPECT_EQ(newest.id, "2");
  EXPECT_EQ(newest.items.size(), 20u);
  for (std::size_t k = 0; k < files.size(); k += 2) {
    EXPECT_EQ(ReadAll(files[k]), "v1 " + std::to_string(k));
  }
  const UndoResult older = UndoRun(dir / "j", "");
  EXPECT_EQ(older.id, "1");
  EXPECT_EQ(older.items.size(), 40u);
  for (const UndoItem& item : older.items) {
    EXPECT_EQ(item.what, UndoItem::What::kRestored) << item.path << item.reason;
  }
  EXPECT_EQ(Snapshot(dir / "f"), before);
}

TEST(RunUndoTest, FromAnotherFileSystemBitsAndTimesComeBackOrTheFileIsLeft) {
  struct Case {
    std::string failing;  // besides renames across file systems
    std::string undo;
  };
  const Case cases[] = {
      {"", "restored a; "},
      {"fchmod", "left a (its permissions cannot be put back (Operation not permitted)); "},
      {"futimens", "left a (its modification time cannot be put back (Operation not permitted)); "},
  };
  for (const Case& c : cases) {
    TempDir dir;
    const std::string a = dir.Write("f/a", "old");
    chmod(a.c_str(), 0604);
    // Another user's file, when the test may give it one: its owner comes
    // back with it.
    const bool owned_by_other = geteuid() == 0 && chown(a.c_str(), 65534, 65534) == 0;
    const struct timespec times[2] = {{1000, 5}, {2000, 123456789}};
    utimensat(AT_FDCWD, a.c_str(), times, 0);
    const auto before = Snapshot(dir / "f");
    struct stat old {};
    stat(a.c_str(), &old);
    {
      FaultCalls faults(FaultPlan().Elsewhere());
      RunJournal journal(dir / "j", {}, "op", dir / "f");
      WriteInRun(journal, a, "new");
      journal.Finish();
    }
    FaultCalls faults(FaultPlan().Failing("rename_across," + c.failing));
    EXPECT_EQ(Describe(UndoRun(dir / "j", "")), c.undo) << c.failing;
    if (c.failing.empty()) {
      struct stat info {};
      stat(a.c_str(), &info);
      EXPECT_EQ(info.st_atim.tv_sec, old.st_atim.tv_sec);
      EXPECT_EQ(info.st_atim.tv_nsec, old.st_atim.tv_nsec);
      if (owned_by_other) {
        EXPECT_EQ(info.st_uid, 65534u);
        EXPECT_EQ(info.st_gid, 65534u);
      }
      EXPECT_EQ(Snapshot(dir / "f"), before);
    } else {
      EXPECT_EQ(ReadAll(a), "new") << c.failing;
      EXPECT_EQ(dir.List("f"), std::vector<std::string>{"a"});  // no leftover
    }
  }
}

// A finished run that replaced a and b, with its record file's text.
struct DamagedRun {
  TempDir dir;
  std::string a, b, records;
  DamagedRun() {
    a = dir.Write("f/a", "old a");
    b = dir.Write("f/b", "old b");
    RunJournal journal(dir / "j", {}, "op", dir / "f");
    WriteInRun(journal, a, "new a");
    WriteInRun(journal, b, "new b");
    journal.Finish();
    records = ReadAll(dir / "j/runs/1/records");
  }
};

TEST(RunUndoTest, ADamagedRecordFileIsRefusedWholeAndNothingIsTouched) {
  struct Case {
    const char* name;
    std::string (*damage)(const std::string& records, const std::string& b);
    std::string error;
  };
  const Case cases[] = {
      {"kept name leading out of the run folder",
       [](const std::string& records, const std::string& b) {
         WriteRecord w;
         w.kind = WriteRecord::Kind::kReplace;
         w.path = b;
         w.kept = "../x";
         return records + EncodeRecord(WriteFields(w));
       },
       "its kept file's name \"../x\" is not a plain number"},
      {"cut after its first line",
       [](const std::string& records, const std::string&) {
         const std::size_t first = records.find('\n') + 1;
         return records.substr(0, first) + records.substr(first + 10);
       },
       "line 2: "},
      {"a byte changed",
       [](const std::string& records, const std::string&) {
         std::string changed = records;
         changed[changed.find("/f/a") + 3] = 'b';
         return changed;
       },
       "line 2: its checksum is wrong"},
      {"relative path",
       [](const std::string& records, const std::string&) {
         return records + EncodeRecord({"create", "x", "1", "2", "3", "4"});
       },
       "its path is not absolute"},
  };
  for (const Case& c : cases) {
    DamagedRun run;
    WriteAll(run.dir / "j/runs/1/records", c.damage(run.records, run.b));
    const auto before = Snapshot(run.dir.path());
    const UndoResult undo = UndoRun(run.dir / "j", "");
    EXPECT_TRUE(undo.items.empty()) << c.name;
    EXPECT_NE(undo.error.find("run 1 cannot be undone: its record file is "
                              "damaged ("),
              std::string::npos) << c.name << ": " << undo.error;
    EXPECT_NE(undo.error.find(c.error), std::string::npos) << c.name << ": " << undo.error;
    EXPECT_EQ(Snapshot(run.dir.path()), before) << c.name;
    EXPECT_FALSE(ListRuns(run.dir / "j").at(0).damage.empty()) << c.name;
  }
}

TEST(RunUndoTest, ATornLastRecordIsDroppedAndTheRestUndone) {
  DamagedRun run;
  const std::string extra = EncodeRecord({"entry", "cut short"});
  WriteAll(run.dir / "j/runs/1/records", run.records + extra.substr(0, 7));
  WriteAll(run.b, "changed by hand");
  EXPECT_EQ(Describe(UndoRun(run.dir / "j", "1")),
            "left b (it has changed since the run); restored a; ");
  // What undo appended reads back: the torn piece was cut off first; a
  // second undo does not do a again.
  RunLog log;
  std::string error;
  EXPECT_TRUE(ParseRunLog(ReadAll(run.dir / "j/runs/1/records"), log, error))
      << error;
  EXPECT_EQ(log.restored, std::vector<std::string>{run.a});
  EXPECT_TRUE(log.undone);
  WriteAll(run.a, "edited after the undo");
  EXPECT_EQ(Describe(UndoRun(run.dir / "j", "1")),
            "left b (it has changed since the run); ");
  EXPECT_EQ(ReadAll(run.a), "edited after the undo");
  EXPECT_NE(UndoRun(run.dir / "j", "").error.find("no run to undo"),
            std::string::npos);
}

TEST(RunUndoTest, ARunStillInProgressOrUnknownIsRefused) {
  DamagedRun run;
  UniqueFd records(open((run.dir / "j/runs/1/records").c_str(), O_RDONLY));
  ASSERT_EQ(flock(records.get(), LOCK_EX), 0);
  EXPECT_EQ(UndoRun(run.dir / "j", "").error, "run 1 is still in progress");
  EXPECT_TRUE(ListRuns(run.dir / "j").at(0).in_progress);
  EXPECT_EQ(ReadAll(run.a), "new a");
  for (const std::string id : {"2", "../1", "runs", "."}) {
    EXPECT_EQ(UndoRun(run.dir / "j", id).error,
              "no run " + id + " in the journal " + run.dir / "j");
  }
  EXPECT_NE(UndoRun("", "").error.find("there is no journal"), std::string::npos);
}

TEST(RunUndoTest, RunsOfTheEarlierVersionStayUndoableAndChecked) {
  TempDir dir;
  const std::string a = dir.Write("f/a", "new");
  struct stat info {};
  stat(a.c_str(), &info);
  const std::string after = std::to_string(info.st_dev) + "\t" +
                            std::to_string(info.st_ino) + "\t3\t" +
                            std::to_string(info.st_mtim.tv_sec * 1000000000ll +
                                           info.st_mtim.tv_nsec);
  const std::string head = "tarnwick-journal 1\ntime\t2020-01-01 00:00:00\n"
                           "operation\tcopy\noutput\t" + dir / "f" +
                           "\nundone\t0\n";
  dir.Write("j/runs/20200101-000000-000/run.tsv",
            head + "item\treplaced\t" + a + "\t1\t420\t" + after + "\t\n");
  dir.Write("j/runs/20200101-000000-000/1", "old");
  dir.Write("j/runs/20200102-000000-000/run.tsv",
            head + "item\treplaced\t" + a + "\t../../f/a\t420\t" + after + "\t\n");
  const std::vector<JournaledRun> runs = ListRuns(dir / "j");
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_NE(runs[0].damage, "");
  EXPECT_NE(UndoRun(dir / "j", "").error.find("line 6 of its manifest is damaged"),
            std::string::npos);
  EXPECT_EQ(ReadAll(a), "new");
  EXPECT_EQ(Describe(UndoRun(dir / "j", "20200101-000000-000")), "restored a; ");
  EXPECT_EQ(ReadAll(a), "old");
}

}  // namespace
}  // namespace tarnwick
