// The journal of runs: what a run replaced or created, so that the run can
// be undone. Before a run first writes an output file that already exists,
// the old file is kept in the journal: as a hard link when the journal is on
// the same file system (the run replaces the file by a rename, so the link
// keeps the old content at no cost), otherwise as a copy while it fits the
// size cap. After the run each output's identity (device, inode, size,
// modification time) is noted; undo touches only files that still have it.
//
// The journal lives in $XDG_STATE_HOME/tarnwick (by default
// ~/.local/state/tarnwick), one folder per run under runs/. It keeps the
// last 20 runs, and drops the oldest runs while the kept files take more
// than the size cap (1 GiB), never the newest run. The window program and
// tarnwick-batch share it.
#ifndef TARNWICK_JOURNAL_RUN_JOURNAL_H_
#define TARNWICK_JOURNAL_RUN_JOURNAL_H_

#include <cstdint>
#include <string>
#include <vector>

#include "batch/run_record.h"

namespace tarnwick {

struct JournalLimits {
  int max_runs = 20;
  std::uint64_t max_bytes = std::uint64_t{1} << 30;
};

// $XDG_STATE_HOME/tarnwick, or $HOME/.local/state/tarnwick.
std::string DefaultJournalFolder();
// The defaults, with the cap in bytes taken from
// $TARNWICK_JOURNAL_MAX_BYTES when that holds a number.
JournalLimits DefaultJournalLimits();

// Journals one run; hand it to the run as its observer (through a
// RunRecorder), then call Finish().
class RunJournal : public RunObserver {
 public:
  RunJournal(std::string folder, JournalLimits limits, std::string operation,
             std::string output_folder);
  ~RunJournal() override;
  RunJournal(const RunJournal&) = delete;
  RunJournal& operator=(const RunJournal&) = delete;

  std::string BeforeWrite(const std::string& output) override;

  // Notes what every output now is and drops old runs. Returns the run's
  // id, or an empty text when the run replaced and created nothing.
  std::string Finish();

  struct Item;  // one replaced or created file (inside the journal only)

 private:
  bool Open(std::string& note);

  std::string folder_;
  JournalLimits limits_;
  std::string operation_;
  std::string output_folder_;
  std::string id_;
  std::string run_folder_;
  std::uint64_t others_bytes_ = 0;  // what the older runs keep
  std::uint64_t kept_bytes_ = 0;    // what this run keeps
  std::vector<Item> items_;
  bool failed_to_open_ = false;
};

struct JournaledRun {
  std::string id;
  std::string time;  // local time, "YYYY-MM-DD HH:MM:SS"
  std::string operation;
  std::string output_folder;
  int files = 0;
  bool undone = false;
  std::uint64_t kept_bytes = 0;
};

// The runs, newest first.
std::vector<JournaledRun> ListRuns(const std::string& folder);

struct UndoItem {
  enum class What { kRestored, kRemoved, kLeft };
  What what = What::kLeft;
  std::string path;
  std::string reason;  // kLeft only
};

struct UndoResult {
  std::string id;     // the run undone
  std::string error;  // set when no run could be undone at all
  std::vector<UndoItem> items;
};

// Undoes the run with this id, or the newest run not yet undone when id is
// empty: every replaced file gets its old content back and every created
// file is removed, but only where the file is still what the run left;
// others are left alone with the reason. Files left alone keep their
// journal entry; the run is marked undone.
UndoResult UndoRun(const std::string& folder, const std::string& id);

}  // namespace tarnwick

#endif  // TARNWICK_JOURNAL_RUN_JOURNAL_H_
