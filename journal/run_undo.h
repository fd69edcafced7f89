// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// The runs in the journal, and their undo. Undo compares each file the run
// wrote with the identity its last write in the run left: a file still so
// gets its old content back (or is removed, when the run created it); a
// file still as it was before that write (the write never took place) needs
// nothing; any other is left alone, "it has changed since the run". Each
// file put back is recorded at once, so that an undo that is cut short and
// done again does not repeat it. A run whose record file is damaged is
// refused whole, touching nothing; so is a run still in progress, and a run
// whose folder holds kept files that no record names (a record file cut
// short), which is listed as damaged.
#ifndef TARNWICK_JOURNAL_RUN_UNDO_H_
#define TARNWICK_JOURNAL_RUN_UNDO_H_

#include <cstdint>
#include <string>
#include <vector>

namespace tarnwick {

struct JournaledRun {
  std::string id;
  std::string time;  // local time, "YYYY-MM-DD HH:MM:SS"
  std::string operation;
  std::string output_folder;
  int files = 0;
  bool undone = false;
  std::uint64_t kept_bytes = 0;
  int not_undoable = 0;  // files whose old content was not kept
  bool in_progress = false;
  std::string damage;  // why the record file cannot be trusted, or empty
};

// The runs that wrote something, newest first (by id, never by time).
std::vector<JournaledRun> ListRuns(const std::string& folder);

struct UndoItem {
  // kUnchanged: nothing to do, the file is as it was before the run (its
  // write never took place, or the file the run made is gone already).
  enum class What { kRestored, kRemoved, kUnchanged, kLeft };
  What what = What::kLeft;
  std::string path;
  std::string reason;  // kLeft and kUnchanged only
};

struct UndoResult {
  std::string id;     // the run undone
  std::string error;  // set when no run could be undone at all
  std::vector<UndoItem> items;
  // Files the run wrote that its journal could not record at all (it was
  // full): undo does not know them, and leaves them as they are.
  int unrecorded = 0;
};

// Undoes the run with this id, or the newest run not yet undone when id is
// empty. Files left alone keep what the journal kept of them; the run is
// marked undone, and dropped when nothing of it is left.
UndoResult UndoRun(const std::string& folder, const std::string& id);

// True when the run folder holds kept files that no record of the run (or
// no line of an earlier version's manifest) names: nothing may drop them.
bool RunHoldsUnnamedKept(const std::string& run_folder, bool legacy);

// The report lines the run recorded, one per entry (empty when the run is
// not there or its record is damaged).
std::vector<std::string> RunReportLines(const std::string& folder,
                                        const std::string& id);

}  // namespace tarnwick

#endif  // TARNWICK_JOURNAL_RUN_UNDO_H_
