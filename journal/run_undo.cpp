// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "journal/run_undo.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <unordered_map>
#include <unordered_set>

#include "files/path_helpers.h"
#include "files/pending_replacement.h"
#include "files/system_calls.h"
#include "files/unique_fd.h"
#include "journal/journal_io.h"
#include "journal/journal_record.h"
#include "journal/journal_store.h"
#include "journal/legacy_runs.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;
using Kind = WriteRecord::Kind;


// The whole content of an open file; false with errno set.
bool ReadAllFrom(int fd, std::string& text) {
  text.clear();
  char buffer[65536];
  for (;;) {
    const ssize_t got = read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) return true;
    text.append(buffer, static_cast<std::size_t>(got));
  }
}

bool ReadLog(const std::string& run_folder, RunLog& log, std::string& error) {
  UniqueFd fd(open((run_folder + "/" + kRecordFileName).c_str(),
                   O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
  std::string text;
  if (fd.get() < 0 || !ReadAllFrom(fd.get(), text)) {
    error = "its record file cannot be read (" + SystemReason(errno) + ")";
    return false;
  }
  return ParseRunLog(text, log, error);
}

timespec TimeOf(std::int64_t ns) {
  return {static_cast<time_t>(ns / 1000000000),
          static_cast<long>(ns % 1000000000)};
}

// Puts the kept copy back over path from another file system: a new file
// beside it with the old bits and times, renamed over it. Empty, or why not.
std::string CopyBack(int run_fd, const WriteRecord& w) {
  SystemCalls& calls = FileSystemCalls();
  UniqueFd from(calls.open_at(run_fd, w.kept.c_str(),
                              O_RDONLY | O_NOFOLLOW | O_CLOEXEC, 0));
  if (from.get() < 0) {
    return "its kept old content cannot be read (" + SystemReason(errno) + ")";
  }
  const std::string folder = GetFolderPart(w.path);
  const std::string name = GetFileNamePart(w.path);
  UniqueFd folder_fd(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder_fd.get() < 0) {
    return "its folder cannot be opened (" + SystemReason(errno) + ")";
  }
  const std::string temporary = TemporaryName(name, "undo");
  const int to = calls.create_at(folder_fd.get(), temporary.c_str(),
                                 O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (to < 0) {
    return "a new file cannot be made beside it (" + SystemReason(errno) + ")";
  }
  std::string why;
  int error_number = 0;
  switch (CopyContents(from.get(), to, error_number)) {
    case CopyFailure::kNone:
      break;
    case CopyFailure::kRead:
      why = "its kept old content cannot be read (" +
            SystemReason(error_number) + ")";
      break;
    case CopyFailure::kWrite:
      why = "it cannot be written (" + SystemReason(error_number) + ")";
      break;
  }
  const struct timespec times[2] = {TimeOf(w.old_atime_ns),
                                    TimeOf(w.old.mtime_ns)};
  // The kept copy's owner is the old file's, where the system allowed it:
  // so is the file put back (else its group alone; neither is no failure).
  struct stat kept {};
  if (why.empty() && fstat(from.get(), &kept) == 0 &&
      (kept.st_uid != geteuid() || kept.st_gid != getegid()) &&
      calls.fchown(to, kept.st_uid, kept.st_gid) != 0) {
    [[maybe_unused]] const int ignored =
        calls.fchown(to, static_cast<uid_t>(-1), kept.st_gid);
  }
  if (why.empty() && calls.fchmod(to, static_cast<mode_t>(w.mode)) != 0) {
    why = "its permissions cannot be put back (" + SystemReason(errno) + ")";
  }
  if (why.empty() && calls.futimens(to, times) != 0) {
    why = "its modification time cannot be put back (" + SystemReason(errno) +
          ")";
  }
  if (why.empty() && calls.fsync(to) != 0) {
    why = "it cannot be written (" + SystemReason(errno) + ")";
  }
  if (calls.close(to) != 0 && why.empty()) {
    why = "it cannot be written (" + SystemReason(errno) + ")";
  }
  if (why.empty() && calls.rename_at(folder_fd.get(), temporary.c_str(),
                                     folder_fd.get(), name.c_str()) != 0) {
    why = "it cannot be put back (" + SystemReason(errno) + ")";
  }
  if (!why.empty()) {
    calls.unlink_at(folder_fd.get(), temporary.c_str(), 0);
    return why;
  }
  calls.unlink_at(run_fd, w.kept.c_str(), 0);
  return {};
}

// Puts the kept original of w back at its path.
std::string Restore(int run_fd, const WriteRecord& w) {
  struct stat kept {};
  if (fstatat(run_fd, w.kept.c_str(), &kept, AT_SYMLINK_NOFOLLOW) != 0 ||
      !S_ISREG(kept.st_mode)) {
    return "its kept old content is missing from the journal";
  }
  if (FileSystemCalls().rename_at(run_fd, w.kept.c_str(), AT_FDCWD,
                                  w.path.c_str()) == 0) {
    return {};
  }
  if (errno == EXDEV) return CopyBack(run_fd, w);
  return "it cannot be put back (" + SystemReason(errno) + ")";
}

// The write of writes[k] is what the file is now: undoes it back to what
// the path was before the run's first write of the chain it belongs to.
UndoItem UndoChain(int run_fd, const std::vector<const WriteRecord*>& writes,
                   std::size_t k) {
  UndoItem item;
  item.path = writes[k]->path;
  while (k > 0 && writes[k]->kind == Kind::kUpdate) --k;
  const WriteRecord& base = *writes[k];
  switch (base.kind) {
    case Kind::kCreate:
      if (FileSystemCalls().unlink_at(AT_FDCWD, item.path.c_str(), 0) == 0) {
        item.what = UndoItem::What::kRemoved;
      } else {
        item.reason = "it cannot be removed (" + SystemReason(errno) + ")";
      }
      break;
    case Kind::kUnkept:
      item.reason = base.note;
      break;
    case Kind::kReplace:
      item.reason = Restore(run_fd, base);
      if (item.reason.empty()) item.what = UndoItem::What::kRestored;
      break;
    case Kind::kUpdate:
      item.reason = "the journal holds no first write of it";
      break;
  }
  return item;
}

// Undoes one path, given its writes in the run's order.
UndoItem UndoPath(int run_fd, const std::vector<const WriteRecord*>& writes) {
  UndoItem item;
  item.path = writes.front()->path;
  struct stat info {};
  const bool exists = lstat(item.path.c_str(), &info) == 0;
  if (exists && !S_ISREG(info.st_mode)) {
    item.reason = "it is no longer a regular file";
    return item;
  }
  const FileIdentity now = exists ? IdentityOf(info) : FileIdentity{};
  for (std::size_t k = writes.size(); k-- > 0;) {
    const WriteRecord& w = *writes[k];
    if (exists && now == w.after) return UndoChain(run_fd, writes, k);
    // The write was recorded but never took place (the run ended between
    // the record and the rename): the file is as it was.
    if ((w.kind == Kind::kReplace || w.kind == Kind::kUnkept) && exists &&
        now == w.old) {
      if (w.kind == Kind::kReplace) {
        FileSystemCalls().unlink_at(run_fd, w.kept.c_str(), 0);
      }
      item.what = UndoItem::What::kUnchanged;
      item.reason = "its write never took place";
      return item;
    }
    if (w.kind == Kind::kCreate && !exists) {
      item.what = UndoItem::What::kUnchanged;
      item.reason = "it is no longer there";
      return item;
    }
  }
  item.reason = exists ? "it has changed since the run" : "it is no longer there";
  return item;
}

std::unordered_set<std::string> KeptNamesOf(const RunLog& log) {
  std::unordered_set<std::string> named;
  for (const WriteRecord& w : log.writes) {
    if (w.kind == Kind::kReplace) named.insert(w.kept);
  }
  return named;
}

bool ListedRun(const std::string& folder, const StoredRun& stored,
               JournaledRun& run) {
  const std::string run_folder = RunFolder(folder, stored.id);
  run.id = stored.id;
  run.in_progress = RunInProgress(run_folder);
  if (stored.legacy) {
    return ReadLegacyRun(run_folder, run) || !run.damage.empty();
  }
  RunLog log;
  const bool read = ReadLog(run_folder, log, run.damage);
  if (!read && run.damage != kNoRecords) return true;
  // Kept files no record names are old content whose record was lost (a
  // run in progress names each one right after keeping it): the run is
  // damaged, so that undo names it and refuses it.
  if (const int unnamed = UnnamedKeptFiles(run_folder, KeptNamesOf(log));
      unnamed != 0 && !run.in_progress) {
    run.damage = UnnamedKeptDamage(unnamed);
    return true;
  }
  if (!read) {
    // A run that ended before its first record did nothing: not listed. A
    // damaged one is, so that undo names it and refuses it.
    return run.damage != kNoRecords;
  }
  run.time = LocalTimeText(log.time_ns);
  run.operation = log.operation;
  run.output_folder = log.output_folder;
  run.files = FilesOf(log);
  run.undone = log.undone;
  run.kept_bytes = RunKeptBytes(run_folder);
  std::unordered_set<std::string> unkept;
  for (const WriteRecord& w : log.writes) {
    if (w.kind == Kind::kUnkept) unkept.insert(w.path);
  }
  // Files whose record could not be written at all are counted at the end.
  run.not_undoable = std::max(static_cast<int>(unkept.size()), log.not_undoable);
  return run.files > 0;
}

}  // namespace

std::vector<JournaledRun> ListRuns(const std::string& folder) {
  std::vector<JournaledRun> runs;
  if (folder.empty()) return runs;
  for (const StoredRun& stored : StoredRuns(folder)) {
    JournaledRun run;
    if (ListedRun(folder, stored, run)) runs.push_back(std::move(run));
  }
  return runs;
}

UndoResult UndoRun(const std::string& folder, const std::string& id) {
  UndoResult result;
  if (folder.empty()) {
    result.error = "there is no journal (neither XDG_STATE_HOME nor HOME is "
                   "an absolute path)";
    return result;
  }
  JournalLock lock(folder);
  if (!lock.held()) {
    result.error = lock.error();
    return result;
  }
  const std::vector<StoredRun> stored = StoredRuns(folder);
  std::string chosen = id;
  if (chosen.empty()) {
    for (const JournaledRun& run : ListRuns(folder)) {
      if (!run.undone) {
        chosen = run.id;
        break;
      }
    }
    if (chosen.empty()) {
      result.error = "no run to undo in the journal " + folder;
      return result;
    }
  }
  const auto found = std::find_if(stored.begin(), stored.end(),
                                  [&](const StoredRun& run) { return run.id == chosen; });
  if (found == stored.end()) {
    result.error = "no run " + chosen + " in the journal " + folder;
    return result;
  }
  result.id = chosen;
  const std::string run_folder = RunFolder(folder, chosen);
  if (found->legacy) {
    UndoLegacyRun(run_folder, result);
    return result;
  }

  SystemCalls& calls = FileSystemCalls();
  UniqueFd run_fd(open(run_folder.c_str(),
                       O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  UniqueFd records(run_fd.get() < 0
                       ? -1
                       : calls.open_at(run_fd.get(), kRecordFileName,
                                       O_RDWR | O_APPEND | O_NOFOLLOW | O_CLOEXEC, 0));
  if (records.get() < 0) {
    result.error = "run " + chosen + " cannot be undone: its record file "
                   "cannot be opened (" + SystemReason(errno) + ")";
    return result;
  }
  if (flock(records.get(), LOCK_EX | LOCK_NB) != 0) {
    result.error = errno == EWOULDBLOCK
                       ? "run " + chosen + " is still in progress"
                       : "run " + chosen + " cannot be locked (" +
                             SystemReason(errno) + ")";
    return result;
  }
  std::string text;
  RunLog log;
  std::string damage;
  if (!ReadAllFrom(records.get(), text)) {
    damage = "its record file cannot be read (" + SystemReason(errno) + ")";
  } else {
    ParseRunLog(text, log, damage);
  }
  if (!damage.empty()) {
    result.error = "run " + chosen + " cannot be undone: its record file is "
                   "damaged (" + damage + "); nothing was touched";
    return result;
  }
  if (const int unnamed = UnnamedKeptFiles(run_folder, KeptNamesOf(log))) {
    result.error = "run " + chosen + " cannot be undone: " +
                   UnnamedKeptDamage(unnamed) + " (in " + run_folder +
                   "); nothing was touched";
    return result;
  }
  // A record cut short by the end of the run is no record: drop it, so
  // that what undo appends starts on a line of its own.
  const RecordLines lines = DecodeRecords(text);
  if (lines.torn_tail) {
    calls.ftruncate(records.get(), static_cast<off_t>(lines.good_bytes));
  }

  // The writes of each path, and the paths from the last written back.
  std::unordered_map<std::string, std::vector<const WriteRecord*>> by_path;
  std::vector<std::string> order;
  for (const WriteRecord& w : log.writes) {
    auto& writes = by_path[w.path];
    if (writes.empty()) order.push_back(w.path);
    writes.push_back(&w);
  }
  std::stable_sort(order.begin(), order.end(),
                   [&](const std::string& a, const std::string& b) {
                     return by_path[a].back() > by_path[b].back();
                   });
  const std::unordered_set<std::string> restored(log.restored.begin(),
                                                 log.restored.end());
  std::unordered_set<std::string> unkept;
  for (const WriteRecord& w : log.writes) {
    if (w.kind == Kind::kUnkept) unkept.insert(w.path);
  }
  result.unrecorded =
      std::max(0, log.not_undoable - static_cast<int>(unkept.size()));
  bool all_done = true;
  for (const std::string& path : order) {
    if (restored.count(path) != 0) continue;
    UndoItem item = UndoPath(run_fd.get(), by_path[path]);
    if (item.what == UndoItem::What::kLeft) {
      all_done = false;
    } else {
      const std::string line = EncodeRecord({"restored", path});
      WriteFully(records.get(), line.data(), line.size());
    }
    result.items.push_back(std::move(item));
  }
  const std::string line = EncodeRecord({"undone"});
  WriteFully(records.get(), line.data(), line.size());
  calls.fdatasync(records.get());
  // Only the kept files undo used are gone: anything else left in the
  // folder keeps it.
  if (all_done && UnnamedKeptFiles(run_folder, {}) == 0) {
    std::error_code error;
    fs::remove_all(run_folder, error);
  } else {
    NoteKeptBytes(run_folder);
  }
  return result;
}

bool RunHoldsUnnamedKept(const std::string& run_folder, bool legacy) {
  // A run that kept no old content of its own (it only created files, or
  // kept links to files that still exist) holds nothing unnamed: its
  // records need not be read, which for a long run costs more than the
  // look at its folder.
  if (UnnamedKeptFiles(run_folder, {}) == 0) return false;
  // Nor does a run that ended with all its kept files named, and whose
  // records are as it left them.
  if (!legacy && KeptNamedStillHolds(run_folder)) return false;
  std::unordered_set<std::string> named;
  if (legacy) {
    LegacyKeptNames(run_folder, named);
  } else {
    RunLog log;
    std::string error;
    ReadLog(run_folder, log, error);
    named = KeptNamesOf(log);
  }
  return UnnamedKeptFiles(run_folder, named) != 0;
}

std::vector<std::string> RunReportLines(const std::string& folder,
                                        const std::string& id) {
  RunLog log;
  std::string error;
  if (folder.empty() || id.empty() || id.find('/') != std::string::npos ||
      id.front() == '.' || !ReadLog(RunFolder(folder, id), log, error)) {
    return {};
  }
  return log.entries;
}

}  // namespace tarnwick
