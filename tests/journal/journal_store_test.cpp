// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// The journal's folder: where it is, run ids in the order runs start (never
// the clock's), the lock, and pruning that never drops a run in progress or
// one started later.
#include "journal/journal_record.h"
#include "journal/journal_store.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "files/unique_fd.h"
#include "tests/journal/fault_calls.h"
#include "tests/support/temp_dir.h"

namespace tarnwick {
namespace {

using testing::FaultCalls;
using testing::FaultPlan;
using testing::TempDir;

// Sets (or with nullopt unsets) an environment variable for one scope.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, std::optional<std::string> value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value) {
      setenv(name, value->c_str(), 1);
    } else {
      unsetenv(name);
    }
  }
  ~ScopedEnv() {
    if (old_) {
      setenv(name_, old_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

std::vector<std::string> Ids(const std::string& folder) {
  std::vector<std::string> ids;
  for (const StoredRun& run : StoredRuns(folder)) {
    ids.push_back(run.id + (run.legacy ? " (legacy)" : ""));
  }
  return ids;
}

// A run folder with a record file and kept files of these sizes.
void MakeRun(const TempDir& dir, const std::string& id,
             const std::vector<int>& kept_sizes) {
  std::string records = EncodeRecord({"run", "1", "remove-all-tabs", "/o"});
  for (std::size_t k = 0; k < kept_sizes.size(); ++k) {
    WriteRecord write;
    write.kind = WriteRecord::Kind::kReplace;
    write.path = "/o/" + std::to_string(k);
    write.kept = std::to_string(k + 1);
    records += EncodeRecord(WriteFields(write));
  }
  dir.Write("j/runs/" + id + "/records", records);
  for (std::size_t k = 0; k < kept_sizes.size(); ++k) {
    dir.Write("j/runs/" + id + "/" + std::to_string(k + 1),
              std::string(static_cast<std::size_t>(kept_sizes[k]), 'x'));
  }
}

TEST(JournalStoreTest, FolderFromTheEnvironmentOrNoneAtAll) {
  struct Case {
    std::optional<std::string> state, home;
    std::string folder;
  };
  const Case cases[] = {
      {"/s", "/h", "/s/tarnwick"},
      {"relative", "/h", "/h/.local/state/tarnwick"},
      {std::nullopt, "/h", "/h/.local/state/tarnwick"},
      {"", "/h", "/h/.local/state/tarnwick"},
      {std::nullopt, std::nullopt, ""},
      {std::nullopt, "", ""},
      {"relative", "also/relative", ""},
      // A home at the root is none: the journal would land in /.local.
      {std::nullopt, "/", ""},
      {"relative", "//", ""},
      {"/s", "/", "/s/tarnwick"},
  };
  for (const Case& c : cases) {
    ScopedEnv state("XDG_STATE_HOME", c.state);
    ScopedEnv home("HOME", c.home);
    EXPECT_EQ(DefaultJournalFolder(), c.folder)
        << c.state.value_or("(unset)") << " " << c.home.value_or("(unset)");
  }
}

TEST(JournalStoreTest, IdsFollowTheOrderRunsStartInAndAreNeverReused) {
  TempDir dir;
  const std::string folder = dir / "j";
  // Runs of the earlier version, named by local time (one "in the future").
  dir.Write("j/runs/20991231-235959-999/run.tsv", "tarnwick-journal 1\n");
  dir.Write("j/runs/20200101-000000-000/run.tsv", "tarnwick-journal 1\n");
  dir.MakeFolder("j/runs/not-a-run");
  std::string error;
  {
    JournalLock lock(folder);
    ASSERT_TRUE(lock.held()) << lock.error();
    EXPECT_EQ(NewRunId(folder, error), 1u);
    EXPECT_EQ(NewRunId(folder, error), 2u);
  }
  EXPECT_EQ(Ids(folder),
            (std::vector<std::string>{"2", "1", "20991231-235959-999 (legacy)",
                                      "20200101-000000-000 (legacy)"}));
  // Every numbered run dropped: the next id still comes after them.
  PruneRuns(folder, 3, {0, 0});
  EXPECT_EQ(NewRunId(folder, error), 3u);
  // A counter that is lost or behind: the run folders tell.
  unlink((folder + "/last-run-id").c_str());
  dir.MakeFolder("j/runs/41");
  EXPECT_EQ(NewRunId(folder, error), 42u);
}

TEST(JournalStoreTest, LocalTimeIsForDisplayOnly) {
  struct Case {
    const char* zone;
    const char* text;
  };
  for (const Case& c : {Case{"UTC", "2023-11-14 22:13:20"},
                        Case{"Asia/Tokyo", "2023-11-15 07:13:20"}}) {
    ScopedEnv zone("TZ", std::string(c.zone));
    tzset();
    EXPECT_EQ(LocalTimeText(1700000000'000000000), c.text) << c.zone;
  }
  tzset();
}

TEST(JournalStoreTest, PruningKeepsTheRunInProgressAndLaterRuns) {
  TempDir dir;
  const std::string folder = dir / "j";
  for (int id = 1; id <= 6; ++id) MakeRun(dir, std::to_string(id), {40});
  MakeRun(dir, "20200101-000000-000", {1});
  dir.Write("j/runs/20200101-000000-000/run.tsv", "tarnwick-journal 1\n");
  // Run 2 is still going on in another program.
  UniqueFd in_progress(open((folder + "/runs/2/records").c_str(), O_RDONLY));
  ASSERT_EQ(flock(in_progress.get(), LOCK_EX), 0);
  EXPECT_TRUE(RunInProgress(folder + "/runs/2"));
  EXPECT_FALSE(RunInProgress(folder + "/runs/3"));

  // Kept files that no record names are lost records' old content: the
  // earlier version's run (its manifest holds no item) and run 3 stay.
  dir.Write("j/runs/3/2", "old content");
  const std::string legacy = "20200101-000000-000 (legacy)";

  // The pruner is run 4: 5 and 6 started after it and stay, whatever the cap.
  PruneRuns(folder, 4, {2, 100});
  EXPECT_EQ(Ids(folder),
            (std::vector<std::string>{"6", "5", "4", "3", "2", legacy}));
  in_progress.reset();
  PruneRuns(folder, 6, {2, 1000});
  EXPECT_EQ(Ids(folder), (std::vector<std::string>{"6", "5", "3", legacy}));
  EXPECT_EQ(testing::ReadAll(dir / "j/runs/3/2"), "old content");
}

TEST(JournalStoreTest, AFolderThatCannotBeMadeSaysWhy) {
  TempDir dir;
  for (const int error_number : {EACCES, EROFS, ENOSPC}) {
    FaultCalls faults(FaultPlan().Failing("mkdir_at", error_number));
    JournalLock lock(dir / "j");
    EXPECT_FALSE(lock.held());
    EXPECT_EQ(lock.error(), "the journal folder " + dir / "j" +
                                " cannot be made (" +
                                SystemReason(error_number) + ")");
  }
  EXPECT_NE(SystemReason(EACCES).find("ermission"), std::string::npos);
}

}  // namespace
}  // namespace tarnwick
