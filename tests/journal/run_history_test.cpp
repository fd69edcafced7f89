// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// Runs started with their journal, and the history a window reports and
// undoes them from, through real runs of the batch run.
#include "journal/run_history.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "journal/journaled_run.h"
#include "tests/batch/scripted_host.h"
#include "tests/journal/fault_calls.h"
#include "tests/support/temp_dir.h"

namespace tarnwick {
namespace {

using testing::FaultCalls;
using testing::FaultPlan;
using testing::ReadAll;
using testing::TempDir;

struct TabsRun {
  JournaledRunResult result;
  std::vector<EntryRecord> records;
};

// Removes the tabs of files in place, journaled in folder (none if empty).
TabsRun RemoveTabs(const std::vector<std::string>& files, const std::string& folder,
               bool dry_run = false) {
  testing::ScriptedHost host;
  host.files = files;
  host.output_folder = files.front().substr(0, files.front().rfind('/'));
  host.chooser = "Remove all tabs in text file(s)";
  RunRecorder recorder(dry_run);
  JournalSettings settings;
  DialogResults results;
  TabsRun run{RunJournaled(host, results, recorder,
                       {folder, settings, "remove-all-tabs", host.output_folder}),
          recorder.records()};
  return run;
}

TEST(RunJournaledTest, JournalsARealRunWhereThereIsAJournal) {
  struct Case {
    const char* what;
    bool journal, dry_run;
    const char* after;  // the file's content after the run
  };
  const Case cases[] = {
      {"journaled", true, false, "ab"},
      {"dry run", true, true, "a\tb"},
      {"no journal", false, false, "ab"},
  };
  for (const Case& c : cases) {
    TempDir dir;
    const std::string file = dir.Write("f/a.txt", "a\tb");
    const TabsRun run = RemoveTabs({file}, c.journal ? dir / "j" : "", c.dry_run);
    EXPECT_TRUE(run.result.summary.validated) << c.what;
    EXPECT_EQ(ReadAll(file), c.after) << c.what;
    ASSERT_EQ(run.records.size(), 1u) << c.what;
    EXPECT_EQ(run.records[0].status, EntryStatus::kChanged) << c.what;
    const bool journaled = c.journal && !c.dry_run;
    EXPECT_EQ(run.result.journaled, journaled) << c.what;
    EXPECT_EQ(run.result.journal.id, journaled ? "1" : "") << c.what;
    EXPECT_EQ(ListRuns(dir / "j").size(), journaled ? 1u : 0u) << c.what;
  }
}

// The run is over in the journal once its last entry is done: while the
// window shows "Done.", undo finds a finished run, not one in progress.
TEST(RunJournaledTest, TheJournalEndsBeforeTheRunSaysDone) {
  struct DoneHost : testing::ScriptedHost {
    std::string folder;
    std::vector<JournaledRun> runs_at_message;
    void ShowMessage(const std::string& text) override {
      runs_at_message = ListRuns(folder);
      testing::ScriptedHost::ShowMessage(text);
    }
  };
  TempDir dir;
  DoneHost host;
  host.folder = dir / "j";
  host.files = {dir.Write("f/a.txt", "a\tb")};
  host.output_folder = dir / "f";
  host.chooser = "Remove all tabs in text file(s)";
  RunRecorder recorder(false);
  DialogResults results;
  const JournaledRunResult result = RunJournaled(
      host, results, recorder,
      {host.folder, JournalSettings(), "remove-all-tabs", host.output_folder});
  EXPECT_EQ(host.messages, std::vector<std::string>{"Done."});
  ASSERT_EQ(host.runs_at_message.size(), 1u);
  EXPECT_FALSE(host.runs_at_message[0].in_progress);
  EXPECT_EQ(result.journal.id, "1");
  EXPECT_EQ(ListRuns(host.folder).size(), 1u);
}

// A history made afresh, as after a restart, reports the newest run from
// the journal; after undoing it, that run marked undone, though undo
// dropped it from the journal.
TEST(RunHistoryTest, TheNewestRunComesFromTheJournalAndStaysAfterItsUndo) {
  TempDir dir;
  const std::string file = dir.Write("f/a.txt", "a\tb");
  const std::string missing = dir / "f/gone.txt";
  RunHistory first(dir / "j");
  const TabsRun run = RemoveTabs({file, missing}, dir / "j");
  first.Finished(run.records, run.result.journal);

  RunHistory restarted(dir / "j");
  std::optional<RunReport> report = restarted.LastRun();
  ASSERT_TRUE(report.has_value());
  EXPECT_EQ(report->id, "1");
  EXPECT_FALSE(report->undone);
  ASSERT_EQ(report->records.size(), 2u);
  for (std::size_t k = 0; k < 2; ++k) {
    EXPECT_EQ(ReportLine(report->records[k]), ReportLine(run.records[k])) << k;
  }

  EXPECT_EQ(restarted.Undo("1").error, "");
  EXPECT_EQ(ReadAll(file), "a\tb");
  EXPECT_TRUE(ListRuns(dir / "j").empty());
  report = restarted.LastRun();
  ASSERT_TRUE(report.has_value());
  EXPECT_TRUE(report->undone);
  EXPECT_EQ(report->records.size(), 2u);
  // The one that ran it knew the run only as finished: the journal no
  // longer has it, so it still reports it as it was.
  ASSERT_TRUE(first.LastRun().has_value());
  EXPECT_EQ(RunHistory(dir / "j").LastRun(), std::nullopt);

  // A newer run by another program is the last run for both.
  RemoveTabs({file}, dir / "j");
  EXPECT_EQ(first.LastRun()->id, "2");
  EXPECT_EQ(restarted.LastRun()->id, "2");
  EXPECT_FALSE(restarted.LastRun()->undone);
}

// A run that left nothing in the journal (there is none, or it wrote
// nothing) is the last run all the same, reported from its records.
TEST(RunHistoryTest, ARunLeftOutOfTheJournalIsReportedFromItsRecords) {
  TempDir dir;
  const std::string file = dir.Write("f/a.txt", "a\tb");
  RunHistory without("");
  EXPECT_EQ(without.LastRun(), std::nullopt);
  TabsRun run = RemoveTabs({file}, "");
  without.Finished(run.records, std::nullopt);
  ASSERT_TRUE(without.LastRun().has_value());
  EXPECT_EQ(without.LastRun()->records.size(), 1u);
  EXPECT_EQ(without.LastRun()->id, "");

  RunHistory with(dir / "j");
  run = RemoveTabs({dir.Write("f/b.txt", "c\td"), file}, dir / "j");
  ASSERT_EQ(run.result.journal.id, "1");
  const TabsRun unchanged = RemoveTabs({file}, dir / "j");
  ASSERT_EQ(unchanged.result.journal.id, "");
  with.Finished(unchanged.records, unchanged.result.journal);
  ASSERT_TRUE(with.LastRun().has_value());
  EXPECT_EQ(with.LastRun()->id, "");
  ASSERT_EQ(with.LastRun()->records.size(), 1u);
  EXPECT_EQ(with.LastRun()->records[0].status, EntryStatus::kUnchanged);
}

// Files whose old content the journal could not keep are counted in the
// report read back from it.
TEST(RunHistoryTest, TheReportCountsWhatCannotBeUndone) {
  TempDir dir;
  std::vector<std::string> files;
  for (int k = 0; k < 30; ++k) {
    files.push_back(dir.Write("f/" + std::to_string(k) + ".txt",
                              std::string(1000, 'x') + "\t" + std::to_string(k)));
  }
  TabsRun run;
  {
    FaultCalls faults(FaultPlan().Budget(dir / "j", 12000).Elsewhere());
    run = RemoveTabs(files, dir / "j");
  }
  ASSERT_GT(run.result.journal.not_undoable, 0);
  // Where the journal had no room for every entry's record, the program
  // that made the run reports them all from its own; after a restart the
  // report holds those the journal kept.
  RunHistory made(dir / "j");
  made.Finished(run.records, run.result.journal);
  const std::optional<RunReport> report = made.LastRun();
  ASSERT_TRUE(report.has_value());
  EXPECT_EQ(report->not_undoable, run.result.journal.not_undoable);
  EXPECT_EQ(report->records.size(), 30u);
  const std::optional<RunReport> restarted = RunHistory(dir / "j").LastRun();
  ASSERT_TRUE(restarted.has_value());
  EXPECT_EQ(restarted->not_undoable, run.result.journal.not_undoable);
  EXPECT_EQ(restarted->records.size(), RunReportLines(dir / "j", "1").size());
}

}  // namespace
}  // namespace tarnwick
