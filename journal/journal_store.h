// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// Where the journal of runs lives and how runs are found, numbered, locked
// and pruned. The folder ($XDG_STATE_HOME/tarnwick, or
// $HOME/.local/state/tarnwick) holds
//   lock          flock()ed exclusively while a run id is given out, while
//                 runs are pruned and while a run is undone;
//   last-run-id   the last id given out: ids are plain increasing numbers,
//                 so their order never depends on the clock or time zone;
//   runs/<id>/    one run: its record file ("records", journal_record.h)
//                 and the old files it kept, named by number only. A run
//                 holds a flock on its record file while it lasts.
// Runs written by the earlier version (runs/<local time>/run.tsv) are
// listed as older than every numbered run (legacy_runs.h).
#ifndef TARNWICK_JOURNAL_JOURNAL_STORE_H_
#define TARNWICK_JOURNAL_JOURNAL_STORE_H_

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_set>
#include <vector>

#include "files/unique_fd.h"

namespace tarnwick {

struct JournalLimits {
  int max_runs = 20;                              // runs kept at most
  std::uint64_t max_bytes = std::uint64_t{1} << 30;  // kept files' bytes
};

// The time of a run: ns since the epoch, UTC. Passed in so that tests set
// the clock.
using JournalClock = std::function<std::int64_t()>;
std::int64_t SystemTimeNs();
// "YYYY-MM-DD HH:MM:SS" in local time, for display only.
std::string LocalTimeText(std::int64_t time_ns);

// $XDG_STATE_HOME/tarnwick when that is absolute, else
// $HOME/.local/state/tarnwick when HOME is absolute and not the root;
// else empty: there is no journal, and a run goes without one.
std::string DefaultJournalFolder();
// The defaults, with the cap in bytes taken from
// $TARNWICK_JOURNAL_MAX_BYTES when that holds a number.
JournalLimits DefaultJournalLimits();

inline constexpr char kRecordFileName[] = "records";
inline constexpr char kKeptBytesName[] = "kept-bytes";
// Written when a run ends with every kept file named by its records: the
// record file's size then. While the record file keeps that size, nothing
// was added to the run since, and its records need not be read to know
// that no kept file is unnamed.
inline constexpr char kKeptNamedName[] = "kept-named";

std::string RunsFolder(const std::string& folder);
std::string RunFolder(const std::string& folder, const std::string& id);

// The system's reason for an error number, in words.
std::string SystemReason(int error_number);

// The journal folder's lock, held while the object lives.
class JournalLock {
 public:
  // Makes the folder and runs/ when missing, then waits for the lock. On
  // failure held() is false and error says why.
  explicit JournalLock(const std::string& folder);
  bool held() const { return fd_.get() >= 0; }
  const std::string& error() const { return error_; }

 private:
  UniqueFd fd_;
  std::string error_;
};

// Under the lock: makes the folder of a new run and returns its id (0 with
// error set when it cannot be made).
std::uint64_t NewRunId(const std::string& folder, std::string& error);

struct StoredRun {
  std::string id;       // the folder's name under runs/
  bool legacy = false;  // written by the earlier version
};
// Every run folder, newest first: numbered runs by number, then the
// earlier version's runs by name.
std::vector<StoredRun> StoredRuns(const std::string& folder);

// True while a run (or an undo) holds the lock on the run's record file.
bool RunInProgress(const std::string& run_folder);

// What a run's kept files take: as noted in kept-bytes, else counted.
std::uint64_t RunKeptBytes(const std::string& run_folder);
// Counts the run's kept files and notes the sum in kept-bytes.
void NoteKeptBytes(const std::string& run_folder);

// How many kept files of the run folder no name in named covers and are
// the only name of their content. A kept file that is a second link to a
// file still there elsewhere (the run ended between keeping it and
// recording it) loses nothing when dropped; any other unnamed one is old
// content whose record is lost, which nothing may drop.
int UnnamedKeptFiles(const std::string& run_folder,
                     const std::unordered_set<std::string>& named);
// The damage of a run folder holding count such files.
std::string UnnamedKeptDamage(int count);

// Notes in kept-named that the run folder's kept files were all found
// named when its record file was records_size bytes long.
void NoteKeptNamed(const std::string& run_folder, std::uint64_t records_size);
// True when kept-named holds the record file's present size.
bool KeptNamedStillHolds(const std::string& run_folder);

// Under the lock: drops the oldest runs beyond limits.max_runs, or while
// the kept files take more than limits.max_bytes. Never drops the run
// own_id, a run with a larger id, a run in progress, nor a run holding
// kept files that no record names (RunHoldsUnnamedKept).
void PruneRuns(const std::string& folder, std::uint64_t own_id,
               const JournalLimits& limits);

// Under the lock: makes room for the run own_id, which is in progress,
// dropping the oldest runs (as PruneRuns would: never a run in progress,
// one started after own_id, nor one holding kept files no record names)
// until the kept files of the runs other than own_id take at most
// others_max bytes, or nothing more may go. Returns what they take then.
std::uint64_t MakeRoom(const std::string& folder, std::uint64_t own_id,
                       std::uint64_t others_max);

}  // namespace tarnwick

#endif  // TARNWICK_JOURNAL_JOURNAL_STORE_H_
