// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "journal/run_journal.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <system_error>
#include <utility>

#include "files/system_calls.h"
#include "journal/journal_io.h"
#include "journal/journal_record.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;

// The records of files created (or written again) that may wait for a
// flush. They hold no old content: a power loss before the flush can only
// leave files the run created that undo does not know of, and nothing that
// was in them is lost; a signal or a kill loses no written record at all.
// Each flush costs a wait for the disk, so they wait in large groups.
constexpr int kRecordsPerFlush = 1024;
// A kept copy is written under this suffix, and named by its number only
// once its record is written: a numbered file no record names is then
// never anything but lost content, which nothing may drop.
constexpr char kCopySuffix[] = ".copy";
constexpr char kNotKept[] = "its old content was not kept: ";

std::string Absolute(const std::string& path) {
  if (!path.empty() && path.front() == '/') return path;
  std::error_code error;
  const fs::path current = fs::current_path(error);
  return error ? path : (current / path).string();
}

std::int64_t AccessNanoseconds(const struct stat& info) {
  return static_cast<std::int64_t>(info.st_atim.tv_sec) * 1000000000 +
         info.st_atim.tv_nsec;
}

int FsyncFolder(const std::string& folder) {
  SystemCalls& calls = FileSystemCalls();
  const int fd = calls.open_at(AT_FDCWD, folder.c_str(),
                               O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
  if (fd < 0) return -1;
  const int result = calls.fsync(fd);
  const int error_number = errno;
  calls.close(fd);
  errno = error_number;
  return result;
}

}  // namespace

JournalSettings DefaultJournalSettings() {
  JournalSettings settings;
  settings.limits = DefaultJournalLimits();
  return settings;
}

RunJournal::RunJournal(std::string folder, JournalSettings settings,
                       std::string operation, std::string output_folder)
    : folder_(std::move(folder)),
      settings_(std::move(settings)),
      operation_(std::move(operation)),
      output_folder_(Absolute(output_folder)),
      run_fd_(-1),
      records_fd_(-1) {}

RunJournal::~RunJournal() {
  // A run that ends without Finish() (an exception, a closed window) stays
  // as far as it got.
  if (records_fd_.get() >= 0 && !finished_) {
    std::string ignored;
    Flush(ignored);
  }
}

bool RunJournal::Open(std::string& why) {
  if (records_fd_.get() >= 0) return true;
  if (failed_) {
    why = failure_;
    return false;
  }
  const auto fail = [&](const std::string& text) {
    failed_ = true;
    failure_ = why = text;
    if (!run_folder_.empty()) {
      std::error_code error;
      fs::remove_all(run_folder_, error);
    }
    records_fd_.reset();
    run_fd_.reset();
    return false;
  };
  if (folder_.empty()) return fail("there is no journal folder");
  SystemCalls& calls = FileSystemCalls();
  {
    JournalLock lock(folder_);
    if (!lock.held()) return fail(lock.error());
    for (const StoredRun& run : StoredRuns(folder_)) {
      others_bytes_ += RunKeptBytes(RunFolder(folder_, run.id));
    }
    std::string error;
    id_ = NewRunId(folder_, error);
    if (id_ == 0) return fail(error);
    run_folder_ = RunFolder(folder_, std::to_string(id_));
    run_fd_.reset(calls.open_at(AT_FDCWD, run_folder_.c_str(),
                                O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC,
                                0));
    if (run_fd_.get() >= 0) {
      records_fd_.reset(calls.open_at(
          run_fd_.get(), kRecordFileName,
          O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_NOFOLLOW | O_CLOEXEC,
          0600));
    }
    // Waited for: no other run can hold the new file, and a program
    // listing the runs holds it shared only for a moment (under no lock).
    int locked = records_fd_.get() < 0 ? -1 : 0;
    while (locked == 0 &&
           (locked = calls.flock(records_fd_.get(), LOCK_EX)) != 0 &&
           errno == EINTR) {
      locked = 0;
    }
    if (locked != 0) {
      return fail("the record of the run cannot be made in " + run_folder_ +
                  " (" + SystemReason(errno) + ")");
    }
    // The run's first record is written under the lock: a run listed by
    // another program is never one without it.
    if (!Append({"run", std::to_string(settings_.clock()), operation_,
                 output_folder_},
                why) ||
        !Flush(why)) {
      return fail(why);
    }
    if (calls.fsync(run_fd_.get()) != 0 ||
        FsyncFolder(RunsFolder(folder_)) != 0) {
      return fail("the journal cannot be written (" + SystemReason(errno) + ")");
    }
  }
  for (const std::string& line : early_entries_) {
    std::string ignored;
    Append({"entry", line}, ignored);
  }
  early_entries_.clear();
  return true;
}

bool RunJournal::Append(const std::vector<std::string>& fields,
                        std::string& why) {
  if (failed_ && records_fd_.get() < 0) {
    why = failure_;
    return false;
  }
  const std::string line = EncodeRecord(fields);
  if (WriteFully(records_fd_.get(), line.data(), line.size())) {
    end_ += line.size();
    return true;
  }
  const int error_number = errno;
  why = "the journal cannot be written (" + SystemReason(error_number) + ")";
  // A part of the line may have reached the file: cut it off, so that
  // every later record still follows a whole line.
  if (FileSystemCalls().ftruncate(records_fd_.get(),
                                  static_cast<off_t>(end_)) != 0) {
    failed_ = true;
    failure_ = why;
    records_fd_.reset();
  }
  return false;
}

bool RunJournal::Flush(std::string& why) {
  if (records_fd_.get() < 0) {
    why = failure_;
    return false;
  }
  if (FileSystemCalls().fdatasync(records_fd_.get()) != 0) {
    // What reached the disk is unknown: no later record can be trusted.
    why = "the journal cannot be written (" + SystemReason(errno) + ")";
    failed_ = true;
    failure_ = why;
    records_fd_.reset();
    return false;
  }
  unflushed_ = 0;
  return true;
}

bool RunJournal::Keep(const std::string& target, const struct stat& old,
                      const std::string& kept, struct stat& kept_info,
                      bool& copied_aside, bool grouped, std::string& why) {
  SystemCalls& calls = FileSystemCalls();
  // The same file system: a second name of the old file costs nothing, and
  // the run's rename leaves the old content to it alone.
  if (calls.link_at(AT_FDCWD, target.c_str(), run_fd_.get(), kept.c_str(),
                    0) == 0) {
    if (fstatat(run_fd_.get(), kept.c_str(), &kept_info,
                AT_SYMLINK_NOFOLLOW) == 0) {
      kept_bytes_ += static_cast<std::uint64_t>(kept_info.st_size);
      return true;
    }
    why = SystemReason(errno);
    calls.unlink_at(run_fd_.get(), kept.c_str(), 0);
    return false;
  }
  const auto size = static_cast<std::uint64_t>(old.st_size);
  const std::uint64_t cap = settings_.limits.max_bytes;
  if (others_bytes_ + kept_bytes_ + size > cap && kept_bytes_ + size <= cap) {
    // The run in progress comes first: older runs make room for it.
    JournalLock lock(folder_);
    if (lock.held()) others_bytes_ = MakeRoom(folder_, id_, cap - kept_bytes_ - size);
  }
  if (others_bytes_ + kept_bytes_ + size > cap) {
    why = "a copy of " + std::to_string(size) +
          " bytes would pass the journal's cap of " +
          std::to_string(settings_.limits.max_bytes) + " bytes";
    return false;
  }
  UniqueFd from(calls.open_at(AT_FDCWD, target.c_str(),
                              O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0));
  if (from.get() < 0 || fstat(from.get(), &kept_info) != 0) {
    why = "it cannot be read (" + SystemReason(errno) + ")";
    return false;
  }
  const std::string copy = kept + kCopySuffix;
  const int to = calls.open_at(run_fd_.get(), copy.c_str(),
                               O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (to < 0) {
    why = "a copy in the journal cannot be made (" + SystemReason(errno) + ")";
    return false;
  }
  int error_number = 0;
  bool copied = CopyContents(from.get(), to, error_number) == CopyFailure::kNone;
  // The copy carries the old file's owner (where the system allows it),
  // bits and times, so that undo puts them back with it.
  const struct timespec times[2] = {kept_info.st_atim, kept_info.st_mtim};
  if (copied && (kept_info.st_uid != geteuid() || kept_info.st_gid != getegid()) &&
      calls.fchown(to, kept_info.st_uid, kept_info.st_gid) != 0) {
    [[maybe_unused]] const int ignored =
        calls.fchown(to, static_cast<uid_t>(-1), kept_info.st_gid);
  }
  // A group's copies reach the disk together (FlushGroup).
  if (copied && (calls.fchmod(to, kept_info.st_mode & 07777) != 0 ||
                 calls.futimens(to, times) != 0 ||
                 (!grouped && calls.fdatasync(to) != 0))) {
    copied = false;
    error_number = errno;
  }
  if (calls.close(to) != 0 && copied) {
    copied = false;
    error_number = errno;
  }
  if (!copied) {
    why = "a copy in the journal cannot be written (" +
          SystemReason(error_number) + ")";
    calls.unlink_at(run_fd_.get(), copy.c_str(), 0);
    return false;
  }
  kept_bytes_ += static_cast<std::uint64_t>(kept_info.st_size);
  copied_aside = true;
  return true;
}

bool RunJournal::NameCopy(const std::string& kept, std::string& why) {
  return NameCopies({kept}, why);
}

bool RunJournal::NameCopies(const std::vector<std::string>& kept,
                            std::string& why) {
  if (kept.empty()) return true;
  SystemCalls& calls = FileSystemCalls();
  for (const std::string& name : kept) {
    if (calls.rename_at(run_fd_.get(), (name + kCopySuffix).c_str(),
                        run_fd_.get(), name.c_str()) != 0) {
      why = "the journal cannot be written (" + SystemReason(errno) + ")";
      return false;
    }
  }
  if (calls.fsync(run_fd_.get()) != 0) {
    why = "the journal cannot be written (" + SystemReason(errno) + ")";
    return false;
  }
  return true;
}

KeepResult RunJournal::Unkept(const std::string& path, const std::string& note,
                              const std::string& why) {
  if (settings_.require_undo) return {KeepResult::Outcome::kRefused, why};
  not_undoable_.insert(path);
  return {KeepResult::Outcome::kNotKept, note + why};
}

KeepResult RunJournal::BeforeReplace(const std::string& target,
                                     const struct stat& old,
                                     const FileIdentity& after) {
  return Replace(target, old, after, false);
}

KeepResult RunJournal::BeforeGroupedReplace(const std::string& target,
                                            const struct stat& old,
                                            const FileIdentity& after) {
  return Replace(target, old, after, true);
}

KeepResult RunJournal::FlushGroup() {
  if (group_paths_.empty()) return {};
  std::vector<std::string> paths = std::exchange(group_paths_, {});
  std::string why;
  std::vector<std::string> copies = std::exchange(group_copies_, {});
  // The copies' content first, all at once (one flush of the journal's
  // file system), then the records, then the copies' names.
  if (records_fd_.get() >= 0 &&
      ((!copies.empty() && FileSystemCalls().syncfs(records_fd_.get()) != 0) ||
       FileSystemCalls().fsync(run_fd_.get()) != 0)) {
    why = "the journal cannot be written (" + SystemReason(errno) + ")";
  } else if (Flush(why) && NameCopies(copies, why)) {
    return {};
  }
  // The records may or may not be on disk: the kept files stay for them,
  // but undo cannot be promised.
  if (settings_.require_undo) return {KeepResult::Outcome::kRefused, why};
  for (std::string& path : paths) not_undoable_.insert(std::move(path));
  return {KeepResult::Outcome::kNotKept, kNotKept + why};
}

KeepResult RunJournal::Replace(const std::string& target,
                               const struct stat& old,
                               const FileIdentity& after, bool grouped) {
  const std::string path = Absolute(target);
  std::string why;
  if (!Open(why)) return Unkept(path, kNotKept, why);
  const auto last = last_after_.find(path);
  if (last != last_after_.end() && last->second == IdentityOf(old)) {
    // The run writes again what it wrote: the old content is kept already;
    // the record learns what the file is now. Write-ahead as well: undo
    // knows the file only by what the journal says it became (for a group,
    // the group's flush writes the record: FlushGroup).
    const char* const note = "undo cannot put back its old content: ";
    const KeepResult recorded =
        RecordAfter(WriteRecord::Kind::kUpdate, path, after, note);
    if (recorded.outcome != KeepResult::Outcome::kKept) return recorded;
    if (grouped) {
      group_paths_.push_back(path);
      return {};
    }
    if (Flush(why)) return {};
    return Unkept(path, note, why);
  }

  WriteRecord write;
  write.path = path;
  write.after = after;
  const std::string kept = std::to_string(next_kept_++);
  struct stat kept_info {};
  bool copied = false;
  if (!Keep(path, old, kept, kept_info, copied, grouped, why)) {
    // Listed with the run, so that undo names it and says why.
    write.kind = WriteRecord::Kind::kUnkept;
    write.old = IdentityOf(old);
    write.note = kNotKept + why;
    std::string ignored;
    if (!settings_.require_undo && Append(WriteFields(write), ignored)) {
      ++writes_;
      last_after_[path] = after;
    }
    return Unkept(path, kNotKept, why);
  }
  write.kind = WriteRecord::Kind::kReplace;
  write.kept = kept;
  write.mode = kept_info.st_mode & 07777;
  write.old = IdentityOf(kept_info);
  write.old_atime_ns = AccessNanoseconds(kept_info);
  // Write-ahead: the kept file's name and the record are on disk before
  // the run's rename can take the old file's place (for a group, once
  // before the group's renames: FlushGroup).
  if (grouped) {
    if (Append(WriteFields(write), why)) {
      recorded_kept_.insert(kept);
      last_after_[path] = after;
      ++writes_;
      group_paths_.push_back(path);
      // A copy is named once the group's records are on disk.
      if (copied) group_copies_.push_back(kept);
      return {};
    }
  } else if (FileSystemCalls().fsync(run_fd_.get()) != 0) {
    why = "the journal cannot be written (" + SystemReason(errno) + ")";
  } else if (Append(WriteFields(write), why)) {
    recorded_kept_.insert(kept);
    last_after_[path] = after;
    ++writes_;
    const bool flushed = Flush(why);
    // Named even when the flush failed: the record may be on disk, and
    // the kept file stays for it (undo then cannot be promised).
    if ((!copied || NameCopy(kept, why)) && flushed) return {};
    return Unkept(path, kNotKept, why);
  }
  FileSystemCalls().unlink_at(run_fd_.get(),
                              (copied ? kept + kCopySuffix : kept).c_str(), 0);
  kept_bytes_ -= std::min<std::uint64_t>(
      kept_bytes_, static_cast<std::uint64_t>(kept_info.st_size));
  return Unkept(path, kNotKept, why);
}

KeepResult RunJournal::BeforeCreate(const std::string& target,
                                    const FileIdentity& after) {
  const std::string path = Absolute(target);
  std::string why;
  if (!Open(why)) return Unkept(path, "undo cannot remove it: ", why);
  return RecordAfter(WriteRecord::Kind::kCreate, path, after,
                     "undo cannot remove it: ");
}

KeepResult RunJournal::RecordAfter(WriteRecord::Kind kind,
                                   const std::string& path,
                                   const FileIdentity& after,
                                   const char* unkept_note) {
  WriteRecord write;
  write.kind = kind;
  write.path = path;
  write.after = after;
  std::string why;
  if (!Append(WriteFields(write), why)) return Unkept(path, unkept_note, why);
  if (++unflushed_ >= kRecordsPerFlush) Flush(why);
  last_after_[path] = after;
  ++writes_;
  return {};
}

void RunJournal::EntryDone(const EntryRecord& record) {
  if (records_fd_.get() >= 0) {
    std::string ignored;
    Append({"entry", ReportLine(record)}, ignored);
  } else if (!failed_) {
    early_entries_.push_back(ReportLine(record));
  }
}

void RunJournal::EntryRevised(int entry, const EntryRecord& record) {
  if (records_fd_.get() >= 0) {
    std::string ignored;
    Append({"entry-revised", std::to_string(entry), ReportLine(record)},
           ignored);
  } else if (!failed_ && entry >= 1 &&
             entry <= static_cast<int>(early_entries_.size())) {
    early_entries_[static_cast<std::size_t>(entry - 1)] = ReportLine(record);
  }
}

JournalSummary RunJournal::Finish() {
  if (finished_) return summary_;
  JournalSummary& summary = summary_;
  summary.not_undoable = static_cast<int>(not_undoable_.size());
  if (run_folder_.empty()) return summary;
  finished_ = true;
  std::string ignored;
  bool flushed = false;
  if (records_fd_.get() >= 0) {
    Append({"end", std::to_string(summary.not_undoable)}, ignored);
    flushed = Flush(ignored);
  }
  JournalLock lock(folder_);
  if (writes_ == 0) {
    // Nothing of the run to list or undo.
    std::error_code error;
    fs::remove_all(run_folder_, error);
  } else {
    NoteKeptBytes(run_folder_);
    // Pruning by later runs then need not read these records.
    struct stat records {};
    if (flushed && fstat(records_fd_.get(), &records) == 0 &&
        UnnamedKeptFiles(run_folder_, recorded_kept_) == 0) {
      NoteKeptNamed(run_folder_, static_cast<std::uint64_t>(records.st_size));
    }
    summary.id = std::to_string(id_);
  }
  if (lock.held()) PruneRuns(folder_, id_, settings_.limits);
  records_fd_.reset();  // the run is over: others may prune or undo it
  run_fd_.reset();
  return summary;
}

}  // namespace tarnwick
