// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "journal/journal_store.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <system_error>

#include "files/system_calls.h"
#include "journal/run_undo.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;

constexpr char kLockName[] = "lock";
constexpr char kLastIdName[] = "last-run-id";
constexpr char kLegacyManifest[] = "run.tsv";

// A run folder's number, or 0 for any other name.
std::uint64_t RunNumber(const std::string& name) {
  if (name.empty() || name.size() > 18 || name[0] == '0') return 0;
  std::uint64_t value = 0;
  const auto [end, error] =
      std::from_chars(name.data(), name.data() + name.size(), value);
  return error == std::errc() && end == name.data() + name.size() ? value : 0;
}

// Makes folder and the folders above it; those from private_from on (the
// journal's own) are private to the user. 0, or the error number.
int MakeFolders(const std::string& folder, const std::string& private_from) {
  std::string path;
  std::size_t at = 0;
  while (at != std::string::npos) {
    at = folder.find('/', at + 1);
    path = folder.substr(0, at);
    if (path.empty()) continue;
    const mode_t mode = path.size() >= private_from.size() ? 0700 : 0777;
    if (FileSystemCalls().mkdir_at(AT_FDCWD, path.c_str(), mode) != 0 &&
        errno != EEXIST) {
      return errno;
    }
  }
  struct stat info {};
  if (stat(folder.c_str(), &info) != 0) return errno;
  return S_ISDIR(info.st_mode) ? 0 : ENOTDIR;
}

std::uint64_t ReadLastId(const std::string& folder) {
  std::ifstream in(folder + "/" + kLastIdName);
  std::uint64_t value = 0;
  return in >> value ? value : 0;
}

void WriteLastId(const std::string& folder, std::uint64_t id) {
  SystemCalls& calls = FileSystemCalls();
  const std::string temporary = folder + "/" + kLastIdName + ".new";
  const int fd = calls.open_at(AT_FDCWD, temporary.c_str(),
                               O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) return;  // the run folders still tell the last id
  const std::string text = std::to_string(id) + "\n";
  const bool written =
      calls.write(fd, text.data(), text.size()) ==
          static_cast<ssize_t>(text.size()) &&
      calls.fdatasync(fd) == 0;
  calls.close(fd);
  if (!written ||
      calls.rename_at(AT_FDCWD, temporary.c_str(), AT_FDCWD,
                      (folder + "/" + kLastIdName).c_str()) != 0) {
    calls.unlink_at(AT_FDCWD, temporary.c_str(), 0);
  }
}

std::uint64_t CountKeptBytes(const std::string& run_folder) {
  std::uint64_t total = 0;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(run_folder, error)) {
    const std::string name = entry.path().filename();
    struct stat info {};
    if (RunNumber(name) != 0 && lstat(entry.path().c_str(), &info) == 0 &&
        S_ISREG(info.st_mode)) {
      total += static_cast<std::uint64_t>(info.st_size);
    }
  }
  return total;
}

}  // namespace

std::int64_t SystemTimeNs() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  return static_cast<std::int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

std::string LocalTimeText(std::int64_t time_ns) {
  const time_t seconds = static_cast<time_t>(time_ns / 1000000000);
  std::tm local{};
  localtime_r(&seconds, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
  return text;
}

std::string DefaultJournalFolder() {
  const char* state = std::getenv("XDG_STATE_HOME");
  if (state != nullptr && state[0] == '/') return std::string(state) + "/tarnwick";
  // A home at the root (HOME=/, as some services have) is no home: the
  // journal would land in /.local.
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] == '/' &&
      std::string_view(home).find_first_not_of('/') != std::string_view::npos) {
    return std::string(home) + "/.local/state/tarnwick";
  }
  return {};
}

JournalLimits DefaultJournalLimits() {
  JournalLimits limits;
  if (const char* cap = std::getenv("TARNWICK_JOURNAL_MAX_BYTES")) {
    char* end = nullptr;
    const unsigned long long value = std::strtoull(cap, &end, 10);
    if (end != cap && *end == '\0') limits.max_bytes = value;
  }
  return limits;
}

std::string RunsFolder(const std::string& folder) { return folder + "/runs"; }

std::string RunFolder(const std::string& folder, const std::string& id) {
  return RunsFolder(folder) + "/" + id;
}

std::string SystemReason(int error_number) {
  return std::generic_category().message(error_number);
}

JournalLock::JournalLock(const std::string& folder) : fd_(-1) {
  if (const int error_number = MakeFolders(RunsFolder(folder), folder)) {
    error_ = "the journal folder " + folder + " cannot be made (" +
             SystemReason(error_number) + ")";
    return;
  }
  SystemCalls& calls = FileSystemCalls();
  UniqueFd fd(calls.open_at(AT_FDCWD, (folder + "/" + kLockName).c_str(),
                            O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
  int result = fd.get() < 0 ? -1 : 0;
  while (result == 0 && (result = calls.flock(fd.get(), LOCK_EX)) != 0 &&
         errno == EINTR) {
    result = 0;
  }
  if (result != 0) {
    error_ = "the journal " + folder + " cannot be locked (" +
             SystemReason(errno) + ")";
    return;
  }
  fd_ = std::move(fd);
}

std::uint64_t NewRunId(const std::string& folder, std::string& error) {
  std::uint64_t last = ReadLastId(folder);
  for (const StoredRun& run : StoredRuns(folder)) {
    last = std::max(last, RunNumber(run.id));
  }
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::uint64_t id = last + 1 + static_cast<std::uint64_t>(attempt);
    const std::string run = RunFolder(folder, std::to_string(id));
    if (FileSystemCalls().mkdir_at(AT_FDCWD, run.c_str(), 0700) == 0) {
      WriteLastId(folder, id);
      return id;
    }
    if (errno != EEXIST) break;
  }
  error = "the folder of a new run cannot be made in " + RunsFolder(folder) +
          " (" + SystemReason(errno) + ")";
  return 0;
}

std::vector<StoredRun> StoredRuns(const std::string& folder) {
  std::vector<std::pair<std::uint64_t, std::string>> numbered;
  std::vector<std::string> legacy;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(RunsFolder(folder), error)) {
    if (!entry.is_directory(error) || entry.is_symlink(error)) continue;
    const std::string name = entry.path().filename();
    if (const std::uint64_t number = RunNumber(name)) {
      numbered.emplace_back(number, name);
    } else if (name.front() != '.' &&
               fs::is_regular_file(entry.path() / kLegacyManifest, error)) {
      legacy.push_back(name);
    }
  }
  std::sort(numbered.rbegin(), numbered.rend());
  std::sort(legacy.rbegin(), legacy.rend());
  std::vector<StoredRun> runs;
  for (auto& [number, name] : numbered) runs.push_back({name, false});
  for (std::string& name : legacy) runs.push_back({std::move(name), true});
  return runs;
}

bool RunInProgress(const std::string& run_folder) {
  UniqueFd fd(open((run_folder + "/" + kRecordFileName).c_str(),
                   O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
  if (fd.get() < 0) return false;
  return flock(fd.get(), LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
}

std::uint64_t RunKeptBytes(const std::string& run_folder) {
  std::ifstream in(run_folder + "/" + kKeptBytesName);
  std::uint64_t bytes = 0;
  if (in >> bytes) return bytes;
  return CountKeptBytes(run_folder);
}

namespace {

// Writes number into the run folder's note name by a temporary and a
// rename; on failure no note is left (what it says is found afresh then).
void WriteNote(const std::string& run_folder, const char* name,
               std::uint64_t number) {
  const std::string path = run_folder + "/" + name;
  const std::string temporary = path + ".new";
  std::ofstream out(temporary, std::ios::trunc);
  out << number << "\n";
  out.close();
  if (!out || rename(temporary.c_str(), path.c_str()) != 0) {
    unlink(temporary.c_str());
    unlink(path.c_str());
  }
}

}  // namespace

void NoteKeptBytes(const std::string& run_folder) {
  WriteNote(run_folder, kKeptBytesName, CountKeptBytes(run_folder));
}

void NoteKeptNamed(const std::string& run_folder, std::uint64_t records_size) {
  WriteNote(run_folder, kKeptNamedName, records_size);
}

bool KeptNamedStillHolds(const std::string& run_folder) {
  std::ifstream in(run_folder + "/" + kKeptNamedName);
  std::uint64_t noted = 0;
  struct stat records {};
  return in >> noted &&
         lstat((run_folder + "/" + kRecordFileName).c_str(), &records) == 0 &&
         S_ISREG(records.st_mode) &&
         static_cast<std::uint64_t>(records.st_size) == noted;
}

int UnnamedKeptFiles(const std::string& run_folder,
                     const std::unordered_set<std::string>& named) {
  int count = 0;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(run_folder, error)) {
    const std::string name = entry.path().filename();
    struct stat info {};
    if (RunNumber(name) != 0 && named.count(name) == 0 &&
        lstat(entry.path().c_str(), &info) == 0 &&
        (!S_ISREG(info.st_mode) || info.st_nlink < 2)) {
      ++count;
    }
  }
  return count;
}

std::string UnnamedKeptDamage(int count) {
  return "it holds " + std::to_string(count) +
         " kept old file(s) that no record names";
}

std::uint64_t MakeRoom(const std::string& folder, std::uint64_t own_id,
                       std::uint64_t others_max) {
  const std::vector<StoredRun> runs = StoredRuns(folder);
  std::vector<std::uint64_t> bytes;
  std::uint64_t total = 0;
  for (const StoredRun& run : runs) {
    const bool own = !run.legacy && RunNumber(run.id) == own_id;
    bytes.push_back(own ? 0 : RunKeptBytes(RunFolder(folder, run.id)));
    total += bytes.back();
  }
  // Oldest first: the earlier version's runs, then by number.
  for (std::size_t k = runs.size(); k-- > 0 && total > others_max;) {
    const StoredRun& run = runs[k];
    const std::string run_folder = RunFolder(folder, run.id);
    if ((!run.legacy && RunNumber(run.id) >= own_id) || bytes[k] == 0 ||
        RunInProgress(run_folder) ||
        RunHoldsUnnamedKept(run_folder, run.legacy)) {
      continue;
    }
    std::error_code error;
    fs::remove_all(run_folder, error);
    if (!error) total -= bytes[k];
  }
  return total;
}

void PruneRuns(const std::string& folder, std::uint64_t own_id,
               const JournalLimits& limits) {
  std::uint64_t total = 0;
  int kept = 0;
  for (const StoredRun& run : StoredRuns(folder)) {
    const std::string run_folder = RunFolder(folder, run.id);
    const std::uint64_t bytes = RunKeptBytes(run_folder);
    const std::uint64_t number = RunNumber(run.id);
    const bool protect = (!run.legacy && number >= own_id) ||
                         RunInProgress(run_folder) ||
                         RunHoldsUnnamedKept(run_folder, run.legacy);
    if (!protect &&
        (kept >= limits.max_runs || total + bytes > limits.max_bytes)) {
      std::error_code error;
      fs::remove_all(run_folder, error);
      continue;
    }
    ++kept;
    total += bytes;
  }
}

}  // namespace tarnwick
