// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// The recorder of a run: each old file is kept and its record durable
// before the write takes place; a crash at any system call leaves a journal
// that undo can follow back to every original; a full or distant journal
// lets the run go on and counts what cannot be undone, or refuses the write
// when undo is required; files left unchanged never reach it.
#include "journal/run_journal.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "batch/batch_run.h"
#include "files/file_error.h"
#include "files/file_write.h"
#include "files/path_helpers.h"
#include "files/run_ledger.h"
#include "files/system_calls.h"
#include "journal/journal_record.h"
#include "journal/run_undo.h"
#include "tests/batch/scripted_host.h"
#include "tests/journal/fault_calls.h"
#include "tests/support/temp_dir.h"

namespace tarnwick {
namespace {

using testing::FaultCalls;
using testing::FaultPlan;
using testing::ReadAll;
using testing::TempDir;

constexpr std::int64_t kTime = 1700000000'123456789;

JournalSettings Settings(std::uint64_t cap = std::uint64_t{1} << 30,
                         bool require_undo = false) {
  JournalSettings settings;
  settings.limits.max_bytes = cap;
  settings.require_undo = require_undo;
  settings.clock = [] { return kTime; };
  return settings;
}

// Writes bytes to path as a step of the run journaled by journal.
void WriteInRun(RunJournal& journal, const std::string& path,
                const std::string& bytes) {
  RunLedger ledger;
  ledger.SetJournal(&journal);
  ReplaceFileContents(path, bytes, {.mode = std::nullopt, .ledger = &ledger});
}

bool CopyInRun(RunJournal& journal, const std::string& source,
               const std::string& destination) {
  RunLedger ledger;
  ledger.SetJournal(&journal);
  return SafeCopyFile(source, destination, &ledger).ok();
}

std::map<std::string, std::string> Contents(const TempDir& dir,
                                            const std::vector<std::string>& names) {
  std::map<std::string, std::string> contents;
  for (const std::string& name : names) {
    struct stat info {};
    contents[name] = lstat((dir / name).c_str(), &info) == 0
                         ? ReadAll(dir / name)
                         : "(none)";
  }
  return contents;
}

// At the moment of each rename over a user's file: the record file's
// whole lines and the kept files of run 1.
std::string watched_folder;
std::vector<std::string> seen_at_rename;
SystemCalls real_calls;

TEST(RunJournalTest, OldFileAndItsRecordAreOnDiskBeforeTheRename) {
  TempDir dir;
  const std::string a = dir.Write("f/a.txt", "old a");
  watched_folder = dir / "j/runs/1";
  seen_at_rename.clear();
  SystemCallsRestorer restorer;
  real_calls = FileSystemCalls();
  FileSystemCalls().rename_at = [](int a_fd, const char* from, int b_fd,
                                   const char* to) {
    if (to[0] == '/') return real_calls.rename_at(a_fd, from, b_fd, to);
    std::string lines;
    const RecordLines records =
        DecodeRecords(ReadAll(watched_folder + "/records"));
    for (const auto& fields : records.records) lines += fields[0] + " ";
    struct stat kept {};
    lines += stat((watched_folder + "/1").c_str(), &kept) == 0
                 ? "kept:" + std::to_string(kept.st_size)
                 : "nothing kept";
    seen_at_rename.push_back(lines);
    return real_calls.rename_at(a_fd, from, b_fd, to);
  };
  RunJournal journal(dir / "j", Settings(), "op", dir / "f");
  WriteInRun(journal, a, "new a");
  WriteInRun(journal, a, "newer a");
  EXPECT_EQ(seen_at_rename,
            (std::vector<std::string>{"run replace kept:5",
                                      "run replace update kept:5"}));
  EXPECT_EQ(journal.Finish().id, "1");
}

// Another program listing the runs probes the new run's record file with a
// shared lock for a moment, just as the run locks it: the run waits for
// the probe and keeps its journal.
std::thread probe;

TEST(RunJournalTest, AProbeOfTheNewRecordFileDoesNotCostTheRunItsJournal) {
  TempDir dir;
  const std::string a = dir.Write("f/a.txt", "old a");
  SystemCallsRestorer restorer;
  real_calls = FileSystemCalls();
  FileSystemCalls().flock = [](int fd, int operation) {
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    char target[4096] = {};
    const ssize_t size = readlink(self.c_str(), target, sizeof target - 1);
    if ((operation & LOCK_EX) != 0 && !probe.joinable() && size > 0 &&
        std::string(target).ends_with("/records")) {
      const int probe_fd = open(self.c_str(), O_RDONLY | O_CLOEXEC);
      ::flock(probe_fd, LOCK_SH);
      probe = std::thread([probe_fd] {
        usleep(50000);
        ::close(probe_fd);
      });
    }
    return real_calls.flock(fd, operation);
  };
  RunJournal journal(dir / "j", Settings(), "op", dir / "f");
  WriteInRun(journal, a, "new a");
  const JournalSummary summary = journal.Finish();
  ASSERT_TRUE(probe.joinable());
  probe.join();
  EXPECT_EQ(summary.id, "1");
  EXPECT_EQ(summary.not_undoable, 0);
  const std::vector<JournaledRun> runs = ListRuns(dir / "j");
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].files, 1);
}

// The run's steps: replace a, create c and write it again, replace b,
// write a again. Nothing else is touched.
void Scenario(RunJournal& journal, const TempDir& dir) {
  const auto step = [](auto&& action) {
    try {
      action();
    } catch (const FileError&) {
      // The crash: the step failed and left its file as it was.
    }
  };
  step([&] { WriteInRun(journal, dir / "f/a", "A2"); });
  step([&] { CopyInRun(journal, dir / "src/c", dir / "f/c"); });
  step([&] { WriteInRun(journal, dir / "f/c", "C2"); });
  step([&] { WriteInRun(journal, dir / "f/b", "B2"); });
  step([&] { WriteInRun(journal, dir / "f/a", "A3"); });
}

TEST(RunJournalTest, UndoFollowsTheJournalBackFromACrashAtAnySystemCall) {
  const std::vector<std::string> names = {"f/a", "f/b", "f/c"};
  const std::map<std::string, std::string> originals = {
      {"f/a", "A1"}, {"f/b", "B1"}, {"f/c", "(none)"}};
  int total = 0;
  for (const bool elsewhere : {false, true}) {
    for (int crash_at = 1;; ++crash_at) {
      TempDir dir;
      dir.Write("f/a", "A1");
      dir.Write("f/b", "B1");
      dir.Write("src/c", "C1");
      int calls = 0;
      {
        FaultCalls faults(FaultPlan().CrashAt(crash_at).Elsewhere(elsewhere));
        RunJournal journal(dir / "j", Settings(), "op", dir / "f");
        Scenario(journal, dir);
        calls = faults.calls();
        // The machine stops here: no Finish().
      }
      const std::string context = "crash at call " + std::to_string(crash_at) +
                                  (elsewhere ? ", journal elsewhere" : "");
      const UndoResult undo = UndoRun(dir / "j", "");
      if (!undo.error.empty()) {
        EXPECT_NE(undo.error.find("no run to undo"), std::string::npos)
            << context << ": " << undo.error;
      }
      for (const UndoItem& item : undo.items) {
        EXPECT_NE(item.what, UndoItem::What::kLeft)
            << context << ": " << item.path << ": " << item.reason;
      }
      EXPECT_EQ(Contents(dir, names), originals) << context;
      if (calls < crash_at) {  // the whole run went through: done
        total = crash_at;
        break;
      }
    }
  }
  EXPECT_GT(total, 20);  // the sweep reached the end of the scenario
}

// A run through the batch run itself, in place, with the journal.
class JournaledHost : public testing::ScriptedHost {
 public:
  RunObserver* Observer() override { return observer; }
  RunObserver* observer = nullptr;
};

struct InPlaceRun {
  JournalSummary summary;
  std::vector<EntryRecord> records;
};

InPlaceRun RunInPlace(const TempDir& dir, const std::vector<std::string>& files,
                      const JournalSettings& settings) {
  JournaledHost host;
  host.files = files;
  host.output_folder = dir / "f";
  host.chooser = "Remove all tabs in text file(s)";
  RunJournal journal(dir / "j", settings, "remove-all-tabs", host.output_folder);
  RunRecorder recorder(false, &journal);
  host.observer = &recorder;
  DialogResults results;
  StartRemoving(host, results);
  return {journal.Finish(), recorder.records()};
}

TEST(RunJournalTest, AFullJournalLetsTheRunGoOnAndCountsWhatCannotBeUndone) {
  TempDir dir;
  std::vector<std::string> files;
  for (int k = 0; k < 30; ++k) {
    files.push_back(dir.Write("f/" + std::to_string(k) + ".txt",
                              std::string(1000, 'x') + "\t" + std::to_string(k)));
  }
  const std::string earlier = dir.Write("f/earlier.txt", "e\te");
  RunInPlace(dir, {earlier}, Settings());  // run 1, before the journal fills

  InPlaceRun run;
  {
    FaultCalls faults(FaultPlan().Budget(dir / "j", 12000).Elsewhere());
    run = RunInPlace(dir, files, Settings());
  }
  int notes = 0;
  for (const EntryRecord& record : run.records) {
    EXPECT_EQ(record.status, EntryStatus::kChanged) << record.source;
    if (!record.reason.empty()) {
      ++notes;
      // The copy or its record, whichever did not fit.
      EXPECT_EQ(record.reason.rfind("its old content was not kept: ", 0), 0u)
          << record.reason;
      EXPECT_NE(record.reason.find("(No space left on device)"),
                std::string::npos) << record.reason;
    }
  }
  EXPECT_GT(notes, 10);
  EXPECT_LT(notes, 30);
  EXPECT_EQ(run.summary.id, "2");
  EXPECT_EQ(run.summary.not_undoable, notes);

  // The run is listed, newest, with what it kept; undo takes it, not run 1.
  const std::vector<JournaledRun> runs = ListRuns(dir / "j");
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[0].id, "2");
  EXPECT_GT(runs[0].files, 30 - notes - 1);
  EXPECT_EQ(runs[0].not_undoable, notes);
  const UndoResult undo = UndoRun(dir / "j", "");
  EXPECT_EQ(undo.id, "2");
  int restored = 0, left = 0;
  for (const UndoItem& item : undo.items) {
    restored += item.what == UndoItem::What::kRestored;
    left += item.what == UndoItem::What::kLeft;
  }
  EXPECT_EQ(restored, 30 - notes);
  // Every file the run could not undo is either named, or counted as one
  // the journal could not record at all.
  EXPECT_EQ(left + undo.unrecorded, notes);
  EXPECT_EQ(ReadAll(earlier), "ee");
}

// The cap makes room for the run in progress: the oldest finished runs go
// before a new run gives up keeping an old file, never a newer run.
TEST(RunJournalTest, ARunDropsTheOldestRunsToKeepWhatItReplaces) {
  TempDir dir;
  FaultCalls faults(FaultPlan().Elsewhere());
  std::vector<std::string> files;
  for (const char c : {'x', 'y', 'z'}) {
    files.push_back(dir.Write(std::string("f/") + c + ".txt",
                              std::string(1500, c) + "\t"));
  }
  EXPECT_EQ(RunInPlace(dir, {files[0]}, Settings(4000)).summary.id, "1");
  EXPECT_EQ(RunInPlace(dir, {files[1]}, Settings(4000)).summary.id, "2");
  // Run 3 needs the room of run 1 alone; run 2 stays undoable.
  const InPlaceRun run = RunInPlace(dir, {files[2]}, Settings(4000));
  EXPECT_EQ(run.summary.not_undoable, 0);
  std::vector<std::string> ids;
  for (const JournaledRun& listed : ListRuns(dir / "j")) {
    ids.push_back(listed.id + (listed.not_undoable ? " unkept" : ""));
  }
  EXPECT_EQ(ids, (std::vector<std::string>{"3", "2"}));
}

TEST(RunJournalTest, RequiredUndoRefusesTheWriteAndLeavesTheFileUntouched) {
  TempDir dir;
  const std::string a = dir.Write("f/a.txt", "a\ta");
  const std::string b = dir.Write("f/b.txt", "b\tb");
  FaultCalls faults(FaultPlan().Elsewhere());
  const InPlaceRun run = RunInPlace(dir, {a, b}, Settings(2, true));
  ASSERT_EQ(run.records.size(), 2u);
  EXPECT_EQ(run.records[0].status, EntryStatus::kFailed);
  EXPECT_NE(run.records[0].reason.find(
                "its old content cannot be kept for undo: a copy of 3 bytes "
                "would pass the journal's cap of 2 bytes"),
            std::string::npos)
      << run.records[0].reason;
  EXPECT_EQ(ReadAll(a), "a\ta");
  EXPECT_EQ(ReadAll(b), "b\tb");
  EXPECT_EQ(dir.List("f"), (std::vector<std::string>{"a.txt", "b.txt"}));
  EXPECT_EQ(run.summary.not_undoable, 0);
}

TEST(RunJournalTest, UnchangedFilesNeverReachTheJournal) {
  TempDir dir;
  const std::string same = dir.Write("f/same.txt", "no tabs");
  const std::string other = dir.Write("f/other.txt", "a\tb");
  FaultCalls faults(FaultPlan().Elsewhere());
  const InPlaceRun run = RunInPlace(dir, {same, other}, Settings(0));
  EXPECT_EQ(run.records[0].reason, "");
  EXPECT_EQ(run.records[1].reason,
            "its old content was not kept: a copy of 3 bytes would pass the "
            "journal's cap of 0 bytes");
  EXPECT_EQ(run.summary.not_undoable, 1);
  const std::vector<JournaledRun> runs = ListRuns(dir / "j");
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].files, 1);
  EXPECT_EQ(runs[0].not_undoable, 1);
  EXPECT_EQ(runs[0].kept_bytes, 0u);
}

TEST(RunJournalTest, RunWithTheInjectedTimeAndItsReportLines) {
  TempDir dir;
  const std::string a = dir.Write("f/a.txt", "a\ta");
  const std::string gone = dir / "f/gone.txt";
  const InPlaceRun run = RunInPlace(dir, {gone, a}, Settings());
  const std::vector<JournaledRun> runs = ListRuns(dir / "j");
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].time, LocalTimeText(kTime));
  EXPECT_EQ(runs[0].operation, "remove-all-tabs");
  EXPECT_EQ(runs[0].output_folder, dir / "f");
  // The failed entry came before the run's first write: it is there too.
  EXPECT_EQ(RunReportLines(dir / "j", "1"),
            (std::vector<std::string>{ReportLine(run.records[0]),
                                      ReportLine(run.records[1])}));
}

TEST(RunJournalTest, ARunThatWritesNothingLeavesNothing) {
  TempDir dir;
  const std::string same = dir.Write("f/same.txt", "no tabs");
  EXPECT_EQ(RunInPlace(dir, {same}, Settings()).summary.id, "");
  EXPECT_TRUE(ListRuns(dir / "j").empty());
  EXPECT_FALSE(std::filesystem::exists(dir / "j"));
}

}  // namespace
}  // namespace tarnwick
