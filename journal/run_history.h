// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// The runs a window reports and undoes: the newest run's report is read
// from the journal, where each run keeps its entries' records, so that it
// is there after a restart and names the run "Undo last run" would undo.
// A run that left nothing in the journal (no journal, or nothing written)
// is reported from the records this history was given; so is a run this
// history undid, whose records undo may have removed with the run.
#ifndef TARNWICK_JOURNAL_RUN_HISTORY_H_
#define TARNWICK_JOURNAL_RUN_HISTORY_H_

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "batch/run_record.h"
#include "journal/run_journal.h"
#include "journal/run_undo.h"

namespace tarnwick {

struct RunReport {
  std::string id;  // the run's id in the journal; empty when not there
  std::vector<EntryRecord> records;
  bool undone = false;
  int not_undoable = 0;  // files whose writes cannot be undone
  int unreadable = 0;    // records of the journal that could not be read
};

class RunHistory {
 public:
  // journal_folder: empty when there is no journal.
  explicit RunHistory(std::string journal_folder)
      : folder_(std::move(journal_folder)) {}

  const std::string& journal_folder() const { return folder_; }

  // A run this program finished (past its checks), with what its journal
  // said at the end, if it had one.
  void Finished(std::vector<EntryRecord> records,
                const std::optional<JournalSummary>& journal);

  // The newest run's report; nothing when no run is known.
  std::optional<RunReport> LastRun() const;

  // The journal's runs, newest first.
  std::vector<JournaledRun> Runs() const { return ListRuns(folder_); }

  // Undoes the run with this id (UndoRun), keeping its report first.
  UndoResult Undo(const std::string& id);

 private:
  // The report of a run the journal lists.
  RunReport FromJournal(const JournaledRun& run) const;

  std::string folder_;
  std::optional<RunReport> latest_;  // the newest run this history was told of
};

}  // namespace tarnwick

#endif  // TARNWICK_JOURNAL_RUN_HISTORY_H_
