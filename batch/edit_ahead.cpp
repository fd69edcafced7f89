// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "batch/edit_ahead.h"

#include <pthread.h>
#include <signal.h>

#include <utility>

#include "engine/text_operations.h"
#include "files/file_error.h"
#include "files/replacement_journal.h"

namespace tarnwick {
EditAhead::EditAhead(int workers)
    : workers_(workers > 0 ? static_cast<std::size_t>(workers) : 1) {}

EditAhead::~EditAhead() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    queue_.clear();
  }
  wake_.notify_all();
  for (std::thread& thread : threads_) thread.join();
  // The results not taken remove their new files as slots_ goes.
}

void EditAhead::Submit(Task task) {
  {
    std::lock_guard lock(mutex_);
    if (threads_.size() < workers_) {
      // Signals go to the run's own thread, which answers them between
      // entries: the workers never see one.
      sigset_t all;
      sigset_t before;
      sigfillset(&all);
      pthread_sigmask(SIG_BLOCK, &all, &before);
      try {
        threads_.emplace_back([this] { Work(); });
      } catch (...) {
        // No more threads (or no memory for one): those there are do the
        // work. The run's thread takes its signals back either way.
      }
      pthread_sigmask(SIG_SETMASK, &before, nullptr);
    }
    // Without a single worker, or where no file can be made ahead, nothing
    // is taken on: the run edits every entry itself.
    if (threads_.empty() || unsupported_) return;
    const int entry = task.entry;
    slots_[entry].task = std::move(task);
    queue_.push_back(entry);
  }
  wake_.notify_one();
}

std::optional<EditAhead::Result> EditAhead::Take(const Task& task) {
  std::unique_lock lock(mutex_);
  const auto found = slots_.find(task.entry);
  if (found == slots_.end()) return std::nullopt;
  // The tasks are taken in list order: this one is the next, or in hand.
  Slot& slot = found->second;
  done_.wait(lock, [&] { return slot.done; });
  Slot taken = std::move(slot);
  slots_.erase(task.entry);
  lock.unlock();
  struct stat now {};
  if (!taken.result || !(taken.task == task) ||
      stat(task.source.c_str(), &now) != 0 ||
      IdentityOf(now) != IdentityOf(taken.source_info)) {
    return std::nullopt;  // its new file goes with it
  }
  return std::move(taken.result);
}

void EditAhead::DropThrough(int entry) {
  std::vector<Slot> dropped;  // removed outside the lock
  {
    std::lock_guard lock(mutex_);
    for (auto it = slots_.begin(); it != slots_.end() && it->first <= entry;) {
      if (it->second.started && !it->second.done) {
        ++it;  // in a worker's hand: dropped once done, by a later call
               // or when the jobs end
        continue;
      }
      std::erase(queue_, it->first);
      dropped.push_back(std::move(it->second));
      it = slots_.erase(it);
    }
  }
}

void EditAhead::Work() {
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [&] { return stopping_ || !queue_.empty(); });
    if (stopping_) return;
    const int entry = queue_.front();
    queue_.pop_front();
    // A slot in hand stays where it is until it is done (DropThrough and
    // Take wait for it).
    Slot& slot = slots_.at(entry);
    slot.started = true;
    const Task& task = slot.task;
    lock.unlock();
    struct stat seen {};
    std::optional<Result> result;
    bool unsupported = false;
    try {
      result = Make(task, seen);
    } catch (const FileError& error) {
      // The file system makes no file without a name: a file made ahead
      // would wait under a name that a killed run leaves behind. Every
      // entry is edited in its turn from now on.
      unsupported = error.error_number() == EOPNOTSUPP;
    } catch (...) {
      // Anything else (memory): the run edits the entry itself, and meets
      // and reports whatever it fails on.
    }
    lock.lock();
    unsupported_ = unsupported_ || unsupported;
    slot.result = std::move(result);
    slot.source_info = seen;
    slot.done = true;
    done_.notify_all();
  }
}

std::optional<EditAhead::Result> EditAhead::Make(const Task& task,
                                                 struct stat& seen) {
  struct stat before {};
  if (stat(task.source.c_str(), &before) != 0 || !S_ISREG(before.st_mode)) {
    return std::nullopt;
  }
  Result result;
  EditFile(task.operation, {task.find, task.replace},
           {task.source, task.output},
           {task.count ? &result.tally : nullptr, /*dry_run=*/false,
            /*ledger=*/nullptr, /*seal=*/&result.file});
  struct stat after {};
  if (!result.file.holds_file() || stat(task.source.c_str(), &after) != 0 ||
      IdentityOf(before) != IdentityOf(after) ||
      IdOf(before) != result.file.source_id) {
    return std::nullopt;
  }
  seen = before;
  return result;
}

}  // namespace tarnwick
