// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// Replacements flushed in groups: a run in place of nine files, in groups
// of four (one syncfs each) and one (an fdatasync), crashed at every system
// call, leaves each file with its old or its new content, renames a file
// only once its new content, its kept original and its record are on
// disk, and undo brings every original back; the run's records are those
// of a run that flushes file by file.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "batch/batch_run.h"
#include "files/replacement_group.h"
#include "files/system_calls.h"
#include "journal/run_journal.h"
#include "tests/batch/scripted_host.h"
#include "tests/journal/fault_calls.h"
#include "tests/support/temp_dir.h"

namespace tarnwick {
namespace {

using testing::FaultCalls;
using testing::FaultPlan;
using testing::PathOf;
using testing::ReadAll;
using testing::TempDir;

constexpr int kFiles = 9;
constexpr int kGroup = 4;

JournalSettings Settings(bool require_undo = false) {
  JournalSettings settings;
  settings.limits.max_bytes = std::uint64_t{1} << 30;
  settings.require_undo = require_undo;
  settings.clock = [] { return std::int64_t{1700000000'000000000}; };
  return settings;
}

// What the disk holds for sure, as far as the run's calls tell: every
// file written or linked into since its last flush is dirty. At each
// rename over a user's file, the new file and everything of the journal
// must be clean.
struct Durability {
  std::string journal;  // the journal's folder
  std::set<std::pair<dev_t, ino_t>> dirty;
  std::set<std::pair<dev_t, ino_t>> journal_dirty;
  std::vector<std::string> violations;
  int renames = 0;
};
Durability model;
SystemCalls below;

std::pair<dev_t, ino_t> KeyOf(int fd) {
  struct stat info {};
  fstat(fd, &info);
  return {info.st_dev, info.st_ino};
}

bool InJournal(int fd) { return PathOf(fd).rfind(model.journal, 0) == 0; }

void Clean(int fd) {
  model.dirty.erase(KeyOf(fd));
  model.journal_dirty.erase(KeyOf(fd));
}

// Installs the model above the calls in force (the fault plan's).
void WatchDurability(const std::string& journal) {
  model = Durability{};
  model.journal = journal;
  below = FileSystemCalls();
  SystemCalls& calls = FileSystemCalls();
  calls.write = [](int fd, const void* data, size_t size) -> ssize_t {
    const ssize_t written = below.write(fd, data, size);
    if (written > 0) {
      (InJournal(fd) ? model.journal_dirty : model.dirty).insert(KeyOf(fd));
    }
    return written;
  };
  calls.link_at = [](int a, const char* b, int folder, const char* d, int f) {
    const int result = below.link_at(a, b, folder, d, f);
    if (result == 0) model.journal_dirty.insert(KeyOf(folder));
    return result;
  };
  calls.fsync = [](int fd) {
    const int result = below.fsync(fd);
    if (result == 0) Clean(fd);
    return result;
  };
  calls.fdatasync = [](int fd) {
    const int result = below.fdatasync(fd);
    if (result == 0) Clean(fd);
    return result;
  };
  calls.syncfs = [](int fd) {
    const int result = below.syncfs(fd);
    if (result == 0) model.dirty.clear(), model.journal_dirty.clear();
    return result;
  };
  calls.rename_at = [](int from_folder, const char* from, int to_folder,
                       const char* to) {
    struct stat info {};
    const bool known = fstatat(from_folder, from, &info, 0) == 0;
    const int result = below.rename_at(from_folder, from, to_folder, to);
    // The journal's own renames name their files by whole path.
    if (result == 0 && known && to[0] != '/' && !InJournal(to_folder)) {
      ++model.renames;
      if (model.dirty.count({info.st_dev, info.st_ino}) != 0) {
        model.violations.push_back(std::string(to) + ": new file not flushed");
      }
      if (!model.journal_dirty.empty()) {
        model.violations.push_back(std::string(to) + ": journal not flushed");
      }
    }
    return result;
  };
}

class GroupHost : public testing::ScriptedHost {
 public:
  RunObserver* Observer() override { return observer; }
  std::optional<GroupSettings> WriteGroups() override { return groups; }
  RunObserver* observer = nullptr;
  std::optional<GroupSettings> groups;
};

std::string OldText(int k) { return "old\t" + std::to_string(k); }
std::string NewText(int k) { return "old" + std::to_string(k); }

std::vector<std::string> MakeFiles(const TempDir& dir) {
  std::vector<std::string> files;
  for (int k = 0; k < kFiles; ++k) {
    files.push_back(dir.Write("f/" + std::to_string(k) + ".txt", OldText(k)));
  }
  return files;
}

struct RunResult {
  BatchSummary summary;
  std::vector<EntryRecord> records;
  std::vector<std::string> reports;
};

// Removes the tabs of files in place, journaled in dir/j; finish: as a
// run that ends normally (else as a machine that stopped).
RunResult RunInPlace(const TempDir& dir, const std::vector<std::string>& files,
               std::optional<GroupSettings> groups, bool finish = true,
               bool require_undo = false) {
  GroupHost host;
  host.files = files;
  host.output_folder = dir / "f";
  host.chooser = "Remove all tabs in text file(s)";
  host.groups = groups;
  RunJournal journal(dir / "j", Settings(require_undo), "remove-all-tabs",
                     host.output_folder);
  RunRecorder recorder(false, &journal);
  host.observer = &recorder;
  DialogResults results;
  RunResult run;
  run.summary = StartRemoving(host, results);
  if (finish) journal.Finish();
  run.records = recorder.records();
  run.reports = host.reporter.reports();
  return run;
}

GroupSettings Groups(GroupFlush flush) {
  GroupSettings settings;
  settings.flush = flush;
  settings.files = kGroup;
  return settings;
}

TEST(GroupedFlushTest, ACrashAtAnyCallLeavesOldOrNewAndUndoBringsBackTheOld) {
  for (const GroupFlush flush : {GroupFlush::kFileSystem, GroupFlush::kEachFile}) {
    for (const bool elsewhere : {false, true}) {
      int total = 0;
      for (int crash_at = 1;; ++crash_at) {
        TempDir dir;
        const std::vector<std::string> files = MakeFiles(dir);
        int calls = 0;
        {
          FaultCalls faults(FaultPlan().CrashAt(crash_at).Elsewhere(elsewhere));
          WatchDurability(dir / "j");
          RunInPlace(dir, files, Groups(flush), false);
          calls = faults.calls();
        }
        const std::string context =
            std::string(flush == GroupFlush::kFileSystem ? "syncfs" : "fdatasync") +
            (elsewhere ? ", journal elsewhere" : "") + ", crash at call " +
            std::to_string(crash_at);
        EXPECT_EQ(model.violations, std::vector<std::string>()) << context;
        std::vector<std::string> names;
        for (int k = 0; k < kFiles; ++k) {
          names.push_back(std::to_string(k) + ".txt");
          const std::string now = ReadAll(files[k]);
          EXPECT_TRUE(now == OldText(k) || now == NewText(k))
              << context << ": " << files[k] << " holds " << now;
        }
        EXPECT_EQ(dir.List("f"), names) << context << ": a temporary left";

        const UndoResult undo = UndoRun(dir / "j", "");
        for (const UndoItem& item : undo.items) {
          EXPECT_NE(item.what, UndoItem::What::kLeft)
              << context << ": " << item.path << ": " << item.reason;
        }
        for (int k = 0; k < kFiles; ++k) {
          EXPECT_EQ(ReadAll(files[k]), OldText(k)) << context;
        }
        if (calls < crash_at) {  // the whole run went through: done
          EXPECT_EQ(model.renames, kFiles) << context;
          total = crash_at;
          break;
        }
      }
      // Every call of the three groups was a crash point.
      EXPECT_GT(total, 4 * kFiles);
    }
  }
}

// The same lists run file by file and in groups: the same records, reports,
// summary and files. Each list holds a case a group must not change.
TEST(GroupedFlushTest, RecordsAndFilesAreThoseOfARunFileByFile) {
  struct Case {
    const char* what;
    std::vector<int> list;      // files by number, in order
    std::vector<int> readonly;  // files whose owner write bit is clear
    std::vector<int> unchanged; // files without a tab
  };
  const std::vector<Case> cases = {
      {"every file changes", {0, 1, 2, 3, 4, 5, 6}, {}, {}},
      {"a file listed twice waits in a group when met again", {0, 1, 0, 2, 1}, {}, {}},
      {"a read-only file fails in a group", {0, 1, 2, 3}, {1}, {}},
      {"an unchanged file is untouched", {0, 1, 2, 3, 4}, {}, {2, 3}},
  };
  for (const Case& test : cases) {
    std::vector<RunResult> runs;
    std::vector<std::map<std::string, std::string>> contents;
    std::vector<ino_t> unchanged_inodes;
    for (const bool grouped : {false, true}) {
      TempDir dir;
      std::vector<std::string> files = MakeFiles(dir);
      for (const int k : test.unchanged) dir.Write("f/" + std::to_string(k) + ".txt", "plain");
      for (const int k : test.readonly) chmod(files[k].c_str(), 0444);
      std::vector<ino_t> before;
      for (const int k : test.unchanged) {
        struct stat info {};
        stat(files[k].c_str(), &info);
        before.push_back(info.st_ino);
      }
      std::vector<std::string> list;
      for (const int k : test.list) list.push_back(files[k]);
      RunResult run = RunInPlace(dir, list, grouped ? std::optional(Groups(GroupFlush::kFileSystem))
                                              : std::nullopt);
      const auto relative = [&](std::string& text) {
        for (std::size_t at; (at = text.find(dir.path())) != std::string::npos;) {
          text.erase(at, dir.path().size());
        }
      };
      for (EntryRecord& record : run.records) {
        relative(record.source);
        relative(record.output);
        relative(record.reason);
      }
      for (std::string& report : run.reports) relative(report);
      runs.push_back(std::move(run));
      std::map<std::string, std::string> now;
      for (const std::string& name : dir.List("f")) now[name] = ReadAll(dir / ("f/" + name));
      contents.push_back(now);
      for (std::size_t n = 0; n < test.unchanged.size(); ++n) {
        struct stat info {};
        stat(files[test.unchanged[n]].c_str(), &info);
        EXPECT_EQ(info.st_ino, before[n]) << test.what;
      }
      const UndoResult undo = UndoRun(dir / "j", "");
      for (const UndoItem& item : undo.items) {
        EXPECT_EQ(item.what, UndoItem::What::kRestored) << test.what << ": " << item.path;
      }
      for (const int k : test.list) {
        const bool plain = std::count(test.unchanged.begin(), test.unchanged.end(), k) > 0;
        EXPECT_EQ(ReadAll(files[k]), plain ? "plain" : OldText(k)) << test.what;
      }
    }
    ASSERT_EQ(runs[0].records.size(), runs[1].records.size()) << test.what;
    for (std::size_t n = 0; n < runs[0].records.size(); ++n) {
      EXPECT_EQ(ReportLine(runs[1].records[n]), ReportLine(runs[0].records[n]))
          << test.what;
    }
    EXPECT_EQ(runs[1].reports, runs[0].reports) << test.what;
    EXPECT_EQ(runs[1].summary.failures, runs[0].summary.failures) << test.what;
    EXPECT_EQ(runs[1].summary.files, runs[0].summary.files) << test.what;
    EXPECT_EQ(contents[1], contents[0]) << test.what;
  }
}

// A group that cannot be published (its flush or renames fail, or the
// journal cannot be flushed when undo is required) leaves every old file
// whole, no new file behind, and fails the run.
TEST(GroupedFlushTest, AGroupThatCannotBePublishedLeavesEveryOldFileWhole) {
  struct Case {
    const char* what;
    FaultPlan plan;
    GroupFlush flush;
    bool require_undo;
    int replaced = -1;  // a file that is replaced all the same
    bool journal_whole = false;  // the journal's own flushes work
  };
  const std::vector<Case> cases = {
      {"renames fail", FaultPlan().Failing("rename_at", EIO), GroupFlush::kFileSystem, false,
       -1, true},
      {"each file's flush fails", FaultPlan().Failing("fdatasync", EIO), GroupFlush::kEachFile, false},
      // The last group, of one file, is flushed by an fdatasync.
      {"the file system's flush fails", FaultPlan().Failing("syncfs", EIO), GroupFlush::kFileSystem,
       false, kFiles - 1, true},
      {"the journal cannot be flushed, undo required", FaultPlan().Failing("fdatasync", EIO),
       GroupFlush::kFileSystem, true},
      // The new files flushed each, the journal's copies with its file system.
      {"the journal's copies cannot be flushed, undo required",
       FaultPlan().Failing("syncfs", EIO).Elsewhere(), GroupFlush::kEachFile, true},
  };
  for (const Case& test : cases) {
    TempDir dir;
    const std::vector<std::string> files = MakeFiles(dir);
    RunResult run;
    {
      FaultCalls faults(test.plan);
      run = RunInPlace(dir, files, Groups(test.flush), true, test.require_undo);
    }
    EXPECT_GE(run.summary.failures, 1) << test.what;
    EXPECT_FALSE(run.reports.empty()) << test.what;
    ASSERT_EQ(run.records.size(), static_cast<std::size_t>(kFiles)) << test.what;
    std::vector<std::string> names;
    for (int k = 0; k < kFiles; ++k) {
      // Each record says what became of its file, even when the failure
      // came after the record.
      const EntryRecord& record = run.records[static_cast<std::size_t>(k)];
      EXPECT_EQ(record.status, k == test.replaced ? EntryStatus::kChanged
                                                  : EntryStatus::kFailed)
          << test.what << ": " << ReportLine(record);
      if (k != test.replaced) {
        EXPECT_EQ(record.reason.rfind("Cannot write " + files[k], 0), 0u)
            << test.what << ": " << record.reason;
        EXPECT_FALSE(record.bytes_after.has_value()) << test.what;
      }
      names.push_back(std::to_string(k) + ".txt");
      EXPECT_EQ(ReadAll(files[k]), k == test.replaced ? NewText(k) : OldText(k))
          << test.what;
    }
    EXPECT_EQ(dir.List("f"), names) << test.what;
    // The journal's report of the run, which the window shows later, says
    // the same.
    const std::vector<JournaledRun> listed = ListRuns(dir / "j");
    if (test.journal_whole) {
      ASSERT_EQ(listed.size(), 1u) << test.what;
      std::vector<std::string> lines;
      for (const EntryRecord& record : run.records) lines.push_back(ReportLine(record));
      EXPECT_EQ(RunReportLines(dir / "j", listed[0].id), lines) << test.what;
    }
  }
}

}  // namespace
}  // namespace tarnwick

namespace tarnwick {
namespace {

// A file the run writes twice (listed twice, and its second edit changes
// it again): undo knows the file only by what the journal says it became,
// so the record of the second write is on disk before the rename too, in
// groups or file by file.
TEST(GroupedFlushTest, ASecondWriteOfAFileIsRecordedBeforeItsRename) {
  for (const std::optional<GroupSettings>& groups :
       {std::optional<GroupSettings>(), std::optional(Groups(GroupFlush::kFileSystem))}) {
    TempDir dir;
    const std::string twice = dir.Write("f/0.txt", "aabb");  // "ab", then ""
    GroupHost host;
    host.files = {twice, dir.Write("f/1.txt", "xaby"), twice};
    host.output_folder = dir / "f";
    host.chooser = "Remove x (user-specified) character(s) in text file(s)";
    host.remove_answers.assign(3, {u"ab", u"", false, false, {}});  // at each file
    host.groups = groups;
    RunJournal journal(dir / "j", Settings(), "remove-x", host.output_folder);
    RunRecorder recorder(false, &journal);
    host.observer = &recorder;
    DialogResults results;
    {
      SystemCallsRestorer restorer;
      WatchDurability(dir / "j");
      StartRemoving(host, results);
    }
    EXPECT_EQ(model.violations, std::vector<std::string>()) << groups.has_value();
    EXPECT_EQ(ReadAll(twice), "") << groups.has_value();
  }
}

}  // namespace
}  // namespace tarnwick
