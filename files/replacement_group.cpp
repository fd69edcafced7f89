// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "files/replacement_group.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <utility>

#include "files/file_texts.h"
#include "files/pending_replacement.h"
#include "files/replacement_journal.h"
#include "files/system_calls.h"

namespace tarnwick {
namespace {

using file_texts::kCannotWrite;
// Fewer files of a group on one file system are flushed each on its own.
constexpr std::size_t kFewestForFileSystemFlush = 4;

}  // namespace

ReplacementGroup::ReplacementGroup(GroupSettings settings)
    : settings_(settings), most_files_(std::max(1, settings.files)) {
  rlimit limit{};
  if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY) {
    most_files_ = static_cast<int>(std::clamp<rlim_t>(
        limit.rlim_cur / 4, 1, static_cast<rlim_t>(most_files_)));
  }
}

ReplacementGroup::~ReplacementGroup() { Discard(); }

void ReplacementGroup::Add(Prepared prepared) {
  prepared.tag = tag_;
  bytes_ += static_cast<std::uint64_t>(prepared.written.st_size);
  old_ids_.insert(IdOf(prepared.old_info));
  prepared_.push_back(std::move(prepared));
}

bool ReplacementGroup::full() const {
  return static_cast<int>(prepared_.size()) >= most_files_ ||
         bytes_ >= settings_.bytes;
}

bool ReplacementGroup::Holds(const std::string& path) const {
  if (prepared_.empty() || path.find('\0') != std::string::npos) return false;
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && old_ids_.count(IdOf(info)) != 0;
}

void ReplacementGroup::Discard() noexcept {
  for (Prepared& item : prepared_) {
    item.file.reset();
    unlinkat(item.folder->get(), item.temporary.c_str(), 0);
  }
  prepared_.clear();
  old_ids_.clear();
  bytes_ = 0;
}

std::vector<ReplacementGroup::Failure> ReplacementGroup::Publish(
    RunLedger* ledger) {
  std::vector<Prepared> items = std::exchange(prepared_, {});
  old_ids_.clear();
  bytes_ = 0;
  std::vector<std::optional<Failure>> failures(items.size());
  std::vector<bool> failed(items.size(), false);
  const auto fail = [&](std::size_t k, FileError error) {
    Prepared& item = items[k];
    failed[k] = true;
    item.file.reset();
    unlinkat(item.folder->get(), item.temporary.c_str(), 0);
    failures[k].emplace(Failure{item.path, item.tag, std::move(error)});
  };
  SystemCalls& calls = FileSystemCalls();

  // 1. The new files' content on disk: a crash after a rename must not
  // leave an empty file where the old one stood. A few files are flushed
  // each on its own: a flush of the whole file system would also wait for
  // whatever else is being written there.
  std::vector<bool> each(items.size(),
                         settings_.flush == GroupFlush::kEachFile);
  if (settings_.flush == GroupFlush::kFileSystem) {
    std::vector<dev_t> synced;
    for (std::size_t k = 0; k < items.size(); ++k) {
      const dev_t device = items[k].written.st_dev;
      bool done = false;
      for (const dev_t other : synced) done = done || other == device;
      if (done) continue;
      synced.push_back(device);
      std::size_t on_device = 0;
      for (const Prepared& item : items) on_device += item.written.st_dev == device;
      if (on_device < kFewestForFileSystemFlush) {
        for (std::size_t j = k; j < items.size(); ++j) {
          if (items[j].written.st_dev == device) each[j] = true;
        }
        continue;
      }
      if (calls.syncfs(items[k].file.get()) != 0) {
        // What reached the disk is unknown: none of that file system's
        // files may take its old file's place.
        const int error_number = errno;
        for (std::size_t j = k; j < items.size(); ++j) {
          if (!failed[j] && items[j].written.st_dev == device) {
            fail(j, FileError::FromErrno(kCannotWrite, items[j].path,
                                         error_number));
          }
        }
      }
    }
  }
  for (std::size_t k = 0; k < items.size(); ++k) {
    if (each[k] && !failed[k] && calls.fdatasync(items[k].file.get()) != 0) {
      fail(k, FileError::FromErrno(kCannotWrite, items[k].path, errno));
    }
  }
  for (std::size_t k = 0; k < items.size(); ++k) {
    if (failed[k]) continue;
    const int fd = items[k].file.get();
    static_cast<void>(items[k].file.release());
    if (calls.close(fd) != 0) {
      fail(k, FileError::FromErrno(kCannotWrite, items[k].path, errno));
    }
  }

  // 2. The journal's kept files and records, once for the group.
  ReplacementJournal* const journal =
      ledger != nullptr ? ledger->journal() : nullptr;
  if (journal != nullptr) {
    const KeepResult flushed = journal->FlushGroup();
    if (flushed.outcome == KeepResult::Outcome::kRefused) {
      for (std::size_t k = 0; k < items.size(); ++k) {
        if (!failed[k]) {
          fail(k, FileError(kCannotWrite, items[k].path,
                            file_texts::CannotKeepForUndo(flushed.note), EPERM));
        }
      }
    }
  }

  // 3. The renames, in the order the files were prepared.
  for (std::size_t k = 0; k < items.size(); ++k) {
    if (failed[k]) continue;
    Prepared& item = items[k];
    // A file saved by someone else since it was read is left as they left
    // it (an edit read it; a copy of a source did not).
    const NameCheck check = CheckNameHolds(item.folder->get(), item.name,
                                           /*existed=*/true, item.old_info);
    if (check.error_number != 0) {
      fail(k, check.reason.empty()
                  ? FileError::FromErrno(kCannotWrite, item.path, check.error_number)
                  : FileError(kCannotWrite, item.path, check.reason,
                              check.error_number));
      continue;
    }
    if (calls.rename_at(item.folder->get(), item.temporary.c_str(),
                        item.folder->get(), item.name.c_str()) != 0) {
      fail(k, FileError::FromErrno(kCannotWrite, item.path, errno));
      continue;
    }
    // The folders are not flushed after the renames: a crash before a
    // rename reaches the disk leaves the old file whole (and its record
    // names the new file, which undo then does not find there).
    if (ledger == nullptr) continue;
    ledger->Replaced(IdOf(item.old_info), IdOf(item.written), item.path);
    if (item.record) ledger->Record(IdOf(item.written), *item.record);
  }
  std::vector<Failure> ordered;
  for (std::optional<Failure>& failure : failures) {
    if (failure) ordered.push_back(std::move(*failure));
  }
  return ordered;
}

}  // namespace tarnwick
