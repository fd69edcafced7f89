// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// The journal of runs: what a run replaced or created, so that the run can
// be undone. Every write of the run reaches the journal before it takes
// place (files/replacement_journal.h). Before a file holding content of its
// own is replaced, its old content is kept in the run's folder (as a hard
// link when the journal is on the same file system, the run replacing the
// file by a rename; else as a copy while the journal stays within its size
// cap) and a record naming it, with the file's old identity and the
// identity of the new file, is durable on disk (for replacements that wait
// in a group, files/replacement_group.h, once for the whole group, before
// its first rename: FlushGroup). Created files and later
// writes of a file the run already wrote are recorded too, flushed in
// groups of a thousand or so (they hold no old content to lose). A run interrupted anyhow stays listed and undoable as far as it
// got. Where the old content cannot be kept the run goes on (each such file
// gets a note and is counted) unless undo is required: then that write is
// refused.
//
// The layout, ids, lock and pruning are in journal_store.h; the record
// format in journal_record.h; undo and the listing in run_undo.h.
#ifndef TARNWICK_JOURNAL_RUN_JOURNAL_H_
#define TARNWICK_JOURNAL_RUN_JOURNAL_H_

#include <cstdint>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "batch/run_record.h"
#include "files/replacement_journal.h"
#include "files/unique_fd.h"
#include "journal/journal_record.h"
#include "journal/journal_store.h"
#include "journal/run_undo.h"

namespace tarnwick {

struct JournalSettings {
  JournalLimits limits;
  // Refuse a write whose old content cannot be kept (--require-undo).
  bool require_undo = false;
  JournalClock clock = SystemTimeNs;
};

// What Finish() says about the run.
struct JournalSummary {
  std::string id;  // empty when the run wrote nothing (nothing is listed)
  // Files this run wrote whose writes cannot be undone: their old content
  // was not kept, or their record could not be written.
  int not_undoable = 0;
};

// Journals one run; hand it to the run as its observer (through a
// RunRecorder), then call Finish().
class RunJournal : public RunObserver, public ReplacementJournal {
 public:
  RunJournal(std::string folder, JournalSettings settings,
             std::string operation, std::string output_folder);
  ~RunJournal() override;
  RunJournal(const RunJournal&) = delete;
  RunJournal& operator=(const RunJournal&) = delete;

  ReplacementJournal* Journal() override { return this; }
  void EntryDone(const EntryRecord& record) override;
  // Recorded as an "entry-revised" line, which replaces the entry's line
  // for whoever reads the run's report from the journal.
  void EntryRevised(int entry, const EntryRecord& record) override;

  KeepResult BeforeReplace(const std::string& target, const struct stat& old,
                           const FileIdentity& after) override;
  KeepResult BeforeGroupedReplace(const std::string& target,
                                  const struct stat& old,
                                  const FileIdentity& after) override;
  KeepResult FlushGroup() override;
  KeepResult BeforeCreate(const std::string& target,
                          const FileIdentity& after) override;

  // The run's last entry is done: Finish().
  void RunEnded() override { Finish(); }

  // Ends the run's record, drops old runs and lets the run go. Called
  // again, says the same and does nothing more.
  JournalSummary Finish();

 private:
  bool Open(std::string& why);
  // BeforeReplace, flushed at once or (grouped) by FlushGroup().
  KeepResult Replace(const std::string& target, const struct stat& old,
                     const FileIdentity& after, bool grouped);
  // Appends one record; false (the file as it was before) when it cannot.
  bool Append(const std::vector<std::string>& fields, std::string& why);
  // Appends a record of a write that keeps nothing (a file created, or
  // written again), flushed with the next batch of records; the answer
  // names unkept_note when it cannot be written.
  KeepResult RecordAfter(WriteRecord::Kind kind, const std::string& path,
                         const FileIdentity& after, const char* unkept_note);
  bool Flush(std::string& why);
  // Keeps the old file at target as kept; false with why. A copy (the
  // journal on another file system) is written as kept + kCopySuffix and
  // copied is set: NameCopy gives it its name once its record is written.
  // A copy for a group is flushed with the group (FlushGroup), else here.
  bool Keep(const std::string& target, const struct stat& old,
            const std::string& kept, struct stat& kept_info, bool& copied,
            bool grouped, std::string& why);
  bool NameCopy(const std::string& kept, std::string& why);
  // Names the copies of a group at once, then flushes the run's folder.
  bool NameCopies(const std::vector<std::string>& kept, std::string& why);
  // The answer when the old content of path cannot be brought back.
  KeepResult Unkept(const std::string& path, const std::string& note,
                    const std::string& why);

  std::string folder_;
  JournalSettings settings_;
  std::string operation_;
  std::string output_folder_;
  std::uint64_t id_ = 0;
  std::string run_folder_;
  UniqueFd run_fd_;      // the run's folder
  UniqueFd records_fd_;  // its record file, locked while the run lasts
  bool failed_ = false;  // the run's record cannot be written
  std::string failure_;  // why
  std::uint64_t others_bytes_ = 0;  // what the other runs keep
  std::uint64_t kept_bytes_ = 0;    // what this run keeps
  std::uint64_t end_ = 0;  // the record file's length
  int next_kept_ = 1;
  // The kept files named by a record written (kept-named at the end).
  std::unordered_set<std::string> recorded_kept_;
  int unflushed_ = 0;  // records of created files not yet flushed
  int writes_ = 0;
  bool finished_ = false;
  JournalSummary summary_;  // what Finish() said
  std::unordered_set<std::string> not_undoable_;  // paths
  // Paths recorded since the last FlushGroup(), their records not yet
  // flushed.
  std::vector<std::string> group_paths_;
  // Kept copies of the group, named (kept + kCopySuffix -> kept) by
  // FlushGroup() once their records are on disk.
  std::vector<std::string> group_copies_;
  std::vector<std::string> early_entries_;  // before the record file
  // Each path the run wrote, with the identity its last write left.
  std::unordered_map<std::string, FileIdentity> last_after_;
};

// The default settings, the cap taken from $TARNWICK_JOURNAL_MAX_BYTES.
JournalSettings DefaultJournalSettings();

}  // namespace tarnwick

#endif  // TARNWICK_JOURNAL_RUN_JOURNAL_H_
