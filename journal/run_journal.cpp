#include "journal/run_journal.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "files/file_write.h"
#include "files/path_helpers.h"
#include "files/pending_replacement.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;

constexpr char kManifest[] = "run.tsv";
// What a finished run's kept files take, written once at its end, so that
// later runs weigh the journal without looking at every kept file.
constexpr char kKeptBytes[] = "kept-bytes";
constexpr char kMagic[] = "tarnwick-journal 1";
constexpr char kReplaced[] = "replaced";
constexpr char kCreated[] = "created";
constexpr char kUnkept[] = "unkept";

std::string Escape(const std::string& text) {
  std::string out;
  for (const char c : text) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\t': out += "\\t"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      default: out += c;
    }
  }
  return out;
}

std::string Unescape(const std::string& text) {
  std::string out;
  for (std::size_t k = 0; k < text.size(); ++k) {
    if (text[k] != '\\' || k + 1 == text.size()) {
      out += text[k];
      continue;
    }
    const char c = text[++k];
    out += c == 't' ? '\t' : c == 'n' ? '\n' : c == 'r' ? '\r' : c;
  }
  return out;
}

std::vector<std::string> SplitTabs(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (std::size_t at; (at = line.find('\t', start)) != std::string::npos;
       start = at + 1) {
    fields.push_back(line.substr(start, at - start));
  }
  fields.push_back(line.substr(start));
  return fields;
}

std::string SystemReason(int error_number) {
  return std::generic_category().message(error_number);
}

std::uint64_t ModificationNanoseconds(const struct stat& info) {
  return static_cast<std::uint64_t>(info.st_mtim.tv_sec) * 1000000000u +
         static_cast<std::uint64_t>(info.st_mtim.tv_nsec);
}

std::string Absolute(const std::string& path) {
  if (!path.empty() && path.front() == '/') return path;
  std::error_code error;
  const fs::path current = fs::current_path(error);
  if (error) return path;
  return (current / path).string();
}

// The id of a run: its local start time to the millisecond, sortable.
std::string NewId(std::string& time_text) {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  std::tm local{};
  localtime_r(&now.tv_sec, &local);
  char id[48];
  std::strftime(id, sizeof id, "%Y%m%d-%H%M%S", &local);
  char time[32];
  std::strftime(time, sizeof time, "%Y-%m-%d %H:%M:%S", &local);
  time_text = time;
  char millis[24];
  std::snprintf(millis, sizeof millis, "-%03ld", now.tv_nsec / 1000000);
  return std::string(id) + millis;
}

std::uint64_t FolderBytes(const std::string& folder) {
  std::uint64_t total = 0;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(folder, error)) {
    struct stat info {};
    if (lstat(entry.path().c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
        entry.path().filename() != kManifest &&
        entry.path().filename() != kKeptBytes) {
      total += static_cast<std::uint64_t>(info.st_size);
    }
  }
  return total;
}

void NoteRunBytes(const std::string& run_folder) {
  const std::string path = run_folder + "/" + kKeptBytes;
  try {
    ReplaceFileContents(path, std::to_string(FolderBytes(run_folder)) + "\n");
  } catch (const std::exception&) {
    unlink(path.c_str());  // counted afresh when needed
  }
}

// A run's kept bytes: as noted at its end, or counted (and noted, for a
// finished run) when that note is missing or unreadable.
std::uint64_t RunBytes(const std::string& run_folder) {
  std::ifstream in(run_folder + "/" + kKeptBytes);
  std::uint64_t bytes = 0;
  if (in >> bytes) return bytes;
  if (access((run_folder + "/" + kManifest).c_str(), F_OK) == 0) {
    NoteRunBytes(run_folder);
  }
  return FolderBytes(run_folder);
}

std::string RunsFolder(const std::string& folder) { return folder + "/runs"; }

// Run folders, newest first.
std::vector<std::string> RunIds(const std::string& folder) {
  std::vector<std::string> ids;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(RunsFolder(folder), error)) {
    if (entry.is_directory(error)) ids.push_back(entry.path().filename());
  }
  std::sort(ids.rbegin(), ids.rend());
  return ids;
}

}  // namespace

struct FileState {
  std::uint64_t device = 0, inode = 0, size = 0, mtime = 0;
  bool operator==(const FileState&) const = default;
};

namespace {

bool StateOf(const std::string& path, FileState& state) {
  struct stat info {};
  if (lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
  state = {static_cast<std::uint64_t>(info.st_dev),
           static_cast<std::uint64_t>(info.st_ino),
           static_cast<std::uint64_t>(info.st_size),
           ModificationNanoseconds(info)};
  return true;
}

}  // namespace

struct RunJournal::Item {
  std::string kind;    // kReplaced, kCreated or kUnkept
  std::string path;    // absolute, links followed
  std::string backup;  // the kept file's name in the run folder
  unsigned mode = 0;   // the old file's permission bits
  FileState after;     // what the run left
  std::string note;    // why an old file was not kept
};

namespace {

struct Manifest {
  std::string time, operation, output;
  bool undone = false;
  std::vector<RunJournal::Item> items;
};

}  // namespace

// The manifest's reader and writer need the item type; they live here as
// plain functions taking it through these two wrappers.
static std::string ManifestText(const Manifest& manifest);
static bool ReadManifest(const std::string& run_folder, Manifest& manifest);

std::string DefaultJournalFolder() {
  const char* state = std::getenv("XDG_STATE_HOME");
  if (state != nullptr && state[0] == '/') return std::string(state) + "/tarnwick";
  const char* home = std::getenv("HOME");
  return std::string(home != nullptr ? home : "") + "/.local/state/tarnwick";
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

RunJournal::RunJournal(std::string folder, JournalLimits limits,
                       std::string operation, std::string output_folder)
    : folder_(std::move(folder)),
      limits_(limits),
      operation_(std::move(operation)),
      output_folder_(Absolute(output_folder)) {}

RunJournal::~RunJournal() = default;

bool RunJournal::Open(std::string& note) {
  if (!run_folder_.empty()) return true;
  if (failed_to_open_) {
    note = "its old content was not kept: the journal folder cannot be made";
    return false;
  }
  std::error_code error;
  fs::create_directories(RunsFolder(folder_), error);
  for (const std::string& id : RunIds(folder_)) {
    others_bytes_ += RunBytes(RunsFolder(folder_) + "/" + id);
  }
  std::string time;
  const std::string base = NewId(time);
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string id =
        attempt == 0 ? base : base + "-" + std::to_string(attempt);
    const std::string candidate = RunsFolder(folder_) + "/" + id;
    if (mkdir(candidate.c_str(), 0700) == 0) {
      id_ = id;
      run_folder_ = candidate;
      return true;
    }
    if (errno != EEXIST) break;
  }
  failed_to_open_ = true;
  note = "its old content was not kept: the journal folder " + folder_ +
         " cannot be made (" + SystemReason(errno) + ")";
  return false;
}

std::string RunJournal::BeforeWrite(const std::string& output) {
  std::string target;
  try {
    target = Absolute(ResolveLinks(output));
  } catch (const std::exception& e) {
    return std::string("its old content was not kept: ") + e.what();
  }
  for (const Item& item : items_) {
    if (item.path == target) return {};  // kept at its first write
  }
  std::string note;
  if (!Open(note)) return note;

  Item item;
  item.path = target;
  struct stat old {};
  if (lstat(target.c_str(), &old) != 0) {
    item.kind = kCreated;  // nothing there yet (or nothing we can see)
    items_.push_back(std::move(item));
    return {};
  }
  if (!S_ISREG(old.st_mode)) return {};  // the run will refuse it
  item.mode = old.st_mode & 07777;
  item.backup = std::to_string(items_.size() + 1);
  const std::string backup = run_folder_ + "/" + item.backup;
  const auto size = static_cast<std::uint64_t>(old.st_size);
  if (link(target.c_str(), backup.c_str()) == 0) {
    item.kind = kReplaced;
    kept_bytes_ += size;
  } else if (others_bytes_ + kept_bytes_ + size > limits_.max_bytes) {
    item.kind = kUnkept;
    item.note = "its old content was not kept: a copy of " +
                std::to_string(size) + " bytes would pass the journal's cap of " +
                std::to_string(limits_.max_bytes) + " bytes";
  } else if (const CopyOutcome copy = SafeCopyFile(target, backup); copy.ok()) {
    item.kind = kReplaced;
    kept_bytes_ += size;
  } else {
    item.kind = kUnkept;
    item.note = "its old content was not kept: " +
                DescribeCopyFailure(copy, target, backup);
  }
  if (item.kind == kUnkept) item.backup.clear();
  note = item.note;
  items_.push_back(std::move(item));
  return note;
}

std::string RunJournal::Finish() {
  if (run_folder_.empty()) return {};
  Manifest manifest;
  std::string time;
  NewId(time);
  manifest.time = time;
  manifest.operation = operation_;
  manifest.output = output_folder_;
  for (Item& item : items_) {
    // A file the run did not write in the end (its copy failed) is left
    // out; a kept old file of it is dropped with the run folder's rest.
    if (!StateOf(item.path, item.after)) {
      if (!item.backup.empty()) unlink((run_folder_ + "/" + item.backup).c_str());
      continue;
    }
    // A file the run left untouched (unchanged content is not rewritten)
    // has nothing to undo, and its kept link would only add a link to the
    // user's file.
    if (item.kind == kReplaced && !item.backup.empty()) {
      const std::string backup = run_folder_ + "/" + item.backup;
      FileState kept;
      if (StateOf(backup, kept) && kept.device == item.after.device &&
          kept.inode == item.after.inode) {
        unlink(backup.c_str());
        continue;
      }
    }
    manifest.items.push_back(item);
  }
  if (manifest.items.empty()) {
    std::error_code error;
    fs::remove_all(run_folder_, error);
    return {};
  }
  try {
    ReplaceFileContents(run_folder_ + "/" + kManifest, ManifestText(manifest));
  } catch (const std::exception&) {
    std::error_code error;
    fs::remove_all(run_folder_, error);
    return {};
  }
  NoteRunBytes(run_folder_);

  // Older runs go beyond the last max_runs, or while the kept files take
  // more than the cap; the newest run always stays.
  std::uint64_t total = 0;
  int kept_runs = 0;
  for (const std::string& id : RunIds(folder_)) {
    const std::string run = RunsFolder(folder_) + "/" + id;
    const std::uint64_t bytes = RunBytes(run);
    if (kept_runs > 0 &&
        (kept_runs >= limits_.max_runs || total + bytes > limits_.max_bytes)) {
      std::error_code error;
      fs::remove_all(run, error);
      continue;
    }
    ++kept_runs;
    total += bytes;
  }
  return id_;
}

std::vector<JournaledRun> ListRuns(const std::string& folder) {
  std::vector<JournaledRun> runs;
  for (const std::string& id : RunIds(folder)) {
    const std::string run_folder = RunsFolder(folder) + "/" + id;
    Manifest manifest;
    if (!ReadManifest(run_folder, manifest)) continue;
    JournaledRun run;
    run.id = id;
    run.time = manifest.time;
    run.operation = manifest.operation;
    run.output_folder = manifest.output;
    run.files = static_cast<int>(manifest.items.size());
    run.undone = manifest.undone;
    run.kept_bytes = RunBytes(run_folder);
    runs.push_back(std::move(run));
  }
  return runs;
}

UndoResult UndoRun(const std::string& folder, const std::string& id) {
  UndoResult result;
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
  const std::string run_folder = RunsFolder(folder) + "/" + chosen;
  Manifest manifest;
  if (chosen.find('/') != std::string::npos || chosen.front() == '.' ||
      !ReadManifest(run_folder, manifest)) {
    result.error = "no run " + chosen + " in the journal " + folder;
    return result;
  }
  result.id = chosen;

  std::vector<RunJournal::Item> left;
  for (auto it = manifest.items.rbegin(); it != manifest.items.rend(); ++it) {
    const RunJournal::Item& item = *it;
    UndoItem done;
    done.path = item.path;
    FileState now;
    if (!StateOf(item.path, now)) {
      done.reason = "it is no longer there";
    } else if (!(now == item.after)) {
      done.reason = "it has changed since the run";
    } else if (item.kind == kCreated) {
      if (unlink(item.path.c_str()) == 0) {
        done.what = UndoItem::What::kRemoved;
      } else {
        done.reason = "it cannot be removed: " + SystemReason(errno);
      }
    } else if (item.kind == kUnkept) {
      done.reason = item.note;
    } else {
      const std::string backup = run_folder + "/" + item.backup;
      if (rename(backup.c_str(), item.path.c_str()) == 0) {
        done.what = UndoItem::What::kRestored;
      } else if (errno == EXDEV) {
        const CopyOutcome copy = SafeCopyFile(backup, item.path);
        if (copy.ok()) {
          chmod(item.path.c_str(), static_cast<mode_t>(item.mode));
          unlink(backup.c_str());
          done.what = UndoItem::What::kRestored;
        } else {
          done.reason = DescribeCopyFailure(copy, backup, item.path);
        }
      } else {
        done.reason = "it cannot be put back: " + SystemReason(errno);
      }
    }
    if (done.what == UndoItem::What::kLeft) left.push_back(item);
    result.items.push_back(std::move(done));
  }

  std::error_code error;
  if (left.empty()) {
    fs::remove_all(run_folder, error);
  } else {
    std::reverse(left.begin(), left.end());
    manifest.items = std::move(left);
    manifest.undone = true;
    try {
      ReplaceFileContents(run_folder + "/" + kManifest, ManifestText(manifest));
    } catch (const std::exception&) {
      // The run stays as it was listed; its files left alone are still kept.
    }
    NoteRunBytes(run_folder);
  }
  return result;
}

static std::string ManifestText(const Manifest& manifest) {
  std::ostringstream out;
  out << kMagic << "\n"
      << "time\t" << Escape(manifest.time) << "\n"
      << "operation\t" << Escape(manifest.operation) << "\n"
      << "output\t" << Escape(manifest.output) << "\n"
      << "undone\t" << (manifest.undone ? 1 : 0) << "\n";
  for (const RunJournal::Item& item : manifest.items) {
    out << "item\t" << item.kind << "\t" << Escape(item.path) << "\t"
        << (item.backup.empty() ? "-" : item.backup) << "\t" << item.mode
        << "\t" << item.after.device << "\t" << item.after.inode << "\t"
        << item.after.size << "\t" << item.after.mtime << "\t"
        << Escape(item.note) << "\n";
  }
  return out.str();
}

static bool ReadManifest(const std::string& run_folder, Manifest& manifest) {
  std::ifstream in(run_folder + "/" + kManifest, std::ios::binary);
  std::string line;
  if (!std::getline(in, line) || line != kMagic) return false;
  while (std::getline(in, line)) {
    const std::vector<std::string> f = SplitTabs(line);
    if (f.size() == 2 && f[0] == "time") manifest.time = Unescape(f[1]);
    if (f.size() == 2 && f[0] == "operation") manifest.operation = Unescape(f[1]);
    if (f.size() == 2 && f[0] == "output") manifest.output = Unescape(f[1]);
    if (f.size() == 2 && f[0] == "undone") manifest.undone = f[1] == "1";
    if (f.size() == 10 && f[0] == "item") {
      RunJournal::Item item;
      item.kind = f[1];
      item.path = Unescape(f[2]);
      item.backup = f[3] == "-" ? std::string() : f[3];
      try {
        item.mode = static_cast<unsigned>(std::stoul(f[4]));
        item.after = {std::stoull(f[5]), std::stoull(f[6]), std::stoull(f[7]),
                      std::stoull(f[8])};
      } catch (const std::exception&) {
        return false;
      }
      item.note = Unescape(f[9]);
      manifest.items.push_back(std::move(item));
    }
  }
  return true;
}

}  // namespace tarnwick
