// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// Edits the files of a run's coming entries ahead of the run, on worker
// threads: each result is written in full into a new file beside its
// output's name but not given that name (files/pending_replacement.h,
// SealedFile). The run takes each result at its entry's turn, in its own
// order, and names it there; everything the run reports, records or
// journals stays on its own thread and in list order. A result is taken
// only when it was made from exactly the entry's task and its input has
// not changed since it was read; any other result, and every failure, is
// thrown away, and the run edits that entry itself, as it would have
// without working ahead (so every message is its own).
#ifndef TARNWICK_BATCH_EDIT_AHEAD_H_
#define TARNWICK_BATCH_EDIT_AHEAD_H_

#include <sys/stat.h>

#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "engine/edit_context.h"
#include "files/pending_replacement.h"

namespace tarnwick {

class EditAhead {
 public:
  // One entry's edit: its operation on source, its result for output (a
  // name that was free when the task was made).
  struct Task {
    int entry = 0;
    Operation operation = Operation::kCopyUnchanged;
    std::u16string find;
    std::u16string replace;
    std::string source;
    std::string output;
    bool count = false;  // tally the edit (EditTally)
    bool operator==(const Task&) const = default;
  };
  struct Result {
    SealedFile file;
    EditTally tally;
  };

  // workers threads at most, started as tasks come.
  explicit EditAhead(int workers);
  // Waits for the files in hand and removes every result not taken.
  ~EditAhead();
  EditAhead(const EditAhead&) = delete;
  EditAhead& operator=(const EditAhead&) = delete;

  int workers() const { return static_cast<int>(workers_); }

  void Submit(Task task);
  // The result for task (matched by its entry), waiting while it is being
  // made; nothing when no such task was submitted, the edit failed, or the
  // input is not the file it was read from.
  std::optional<Result> Take(const Task& task);
  // Throws away the results of entries up to entry that were not taken.
  void DropThrough(int entry);

 private:
  struct Slot {
    Task task;
    bool started = false;  // a worker has it
    bool done = false;
    std::optional<Result> result;
    struct stat source_info {};  // the input, as it was read
  };
  void Work();
  static std::optional<Result> Make(const Task& task, struct stat& seen);

  std::size_t workers_;
  std::mutex mutex_;
  std::condition_variable wake_;  // a task waits, or stop
  std::condition_variable done_;  // a result is ready
  std::deque<int> queue_;         // entries whose tasks wait
  std::map<int, Slot> slots_;
  bool stopping_ = false;
  bool unsupported_ = false;  // the output's file system cannot seal files
  std::vector<std::thread> threads_;
};

}  // namespace tarnwick

#endif  // TARNWICK_BATCH_EDIT_AHEAD_H_
