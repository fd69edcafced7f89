// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/report_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "cli/batch_command.h"
#include "cli/line_text.h"
#include "cli/output_status.h"
#include "files/file_error.h"
#include "files/file_write.h"
#include "files/path_helpers.h"
#include "files/platform.h"

namespace tarnwick::cli {
namespace {

// The absolute name path stands for, links and dots resolved; a link to a
// file that does not exist yet stands for that file's name.
std::string Resolved(std::string path) {
  namespace fs = std::filesystem;
  std::error_code error;
  for (int hops = 0; hops < 40 && fs::is_symlink(fs::symlink_status(path, error));
       ++hops) {
    const fs::path target = fs::read_symlink(path, error);
    if (error) break;
    path = target.is_absolute()
               ? target.string()
               : (fs::path(path).parent_path() / target).string();
  }
  const fs::path resolved = fs::weakly_canonical(path, error);
  return error ? path : resolved.string();
}

// Writes all of text to the open descriptor; false with errno set.
bool WriteAllTo(int descriptor, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t wrote =
        ::write(descriptor, text.data() + done, text.size() - done);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) return false;
    done += static_cast<std::size_t>(wrote);
  }
  return true;
}

}  // namespace

ReportFile::ReportFile(std::string path) : path_(std::move(path)) {
  if (path_ == "-" || path_ == "/dev/stdout") descriptor_ = STDOUT_FILENO;
  if (path_ == "/dev/stderr") descriptor_ = STDERR_FILENO;
  struct stat info {};
  exists_ = descriptor_ >= 0 ? ::fstat(descriptor_, &info) == 0
                             : ::stat(path_.c_str(), &info) == 0;
  if (exists_) {
    folder_ = S_ISDIR(info.st_mode);
    regular_ = S_ISREG(info.st_mode);
    device_ = info.st_dev;
    inode_ = info.st_ino;
  }
  // Any other name of what a standard stream writes to (/dev/fd/1,
  // /proc/self/fd/1, the log itself) is written through that stream too:
  // replacing the file would drop what the stream put there before.
  for (const int stream : {STDOUT_FILENO, STDERR_FILENO}) {
    struct stat stream_info {};
    if (descriptor_ < 0 && exists_ && !folder_ &&
        ::fstat(stream, &stream_info) == 0 && stream_info.st_dev == device_ &&
        stream_info.st_ino == inode_) {
      descriptor_ = stream;
    }
  }
  if (descriptor_ < 0) resolved_ = Resolved(path_);
}

std::string ReportFile::Saying(const std::string& what,
                               const std::string& path) const {
  return path_ + " is " + what + (path == path_ ? "" : ": " + path);
}

bool ReportFile::Names(const std::string& path) const {
  if (exists_) {
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) {
      return info.st_dev == device_ && info.st_ino == inode_;
    }
  }
  return descriptor_ < 0 && Resolved(path) == resolved_;
}

bool ReportFile::Is(const std::string& path) const {
  return exists_ && regular_ && Names(path);
}

std::string ReportFile::Conflict(const std::vector<std::string>& entries,
                                 const std::string& output_folder) const {
  // A descriptor on a pipe or a terminal cannot be a file of the run.
  if (descriptor_ >= 0 && !regular_) return "";
  if (folder_) return path_ + " is a folder";
  if (!exists_ && descriptor_ < 0) {
    // A new report needs its folder: found missing only after the run, the
    // run's record would be lost.
    const std::string folder =
        std::filesystem::path(resolved_).parent_path().string();
    struct stat info {};
    if (!folder.empty() && ::stat(folder.c_str(), &info) != 0) {
      return "cannot write " + path_ + ": the folder " + folder +
             " does not exist";
    }
    if (!folder.empty() && !S_ISDIR(info.st_mode)) {
      return "cannot write " + path_ + ": " + folder + " is not a folder";
    }
  }
  for (const std::string& entry : entries) {
    if (Names(entry)) return Saying("an input of the run", entry);
  }
  if (!IsFolder(output_folder)) return "";  // the run itself refuses
  for (const std::string& entry : entries) {
    // The output's name as the run makes it.
    const std::string output = FixBackslashes(
        output_folder + kSeparatorText + GetFileNamePart(entry));
    if (Names(output)) return Saying("an output of the run", output);
  }
  return "";
}

bool ReportFile::Write(const std::vector<EntryRecord>& records) const {
  std::string text;
  for (const EntryRecord& record : records) text += ReportLine(record) + "\n";
  if (descriptor_ >= 0) {
    // Through the stream, after what the run already wrote to it.
    // (WriteOutput remembers why standard output failed, so that the last
    // word on it names the same error.)
    std::FILE* stream = descriptor_ == STDOUT_FILENO ? stdout : stderr;
    errno = 0;
    WriteOutput(stream, text);
    if (!std::ferror(stream)) return true;
    PrintError("--report: cannot write to " +
               std::string(descriptor_ == STDOUT_FILENO ? "standard output"
                                                        : "standard error") +
               ": " + std::strerror(errno != 0 ? errno : EIO));
    return false;
  }
  if (exists_ && !regular_) {
    // A device or a pipe: opened as it is, never truncated nor replaced.
    const int descriptor =
        ::open(path_.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    const bool written = descriptor >= 0 && WriteAllTo(descriptor, text);
    const int error = errno;
    if (descriptor >= 0 && ::close(descriptor) != 0 && written) {
      PrintError("--report: cannot write " + EscapeForLine(path_) + ": " +
                 std::strerror(errno));
      return false;
    }
    if (written) return true;
    PrintError("--report: cannot write " + EscapeForLine(path_) + ": " +
               std::strerror(error != 0 ? error : EIO));
    return false;
  }
  try {
    ReplaceFileContents(path_, text);
    return true;
  } catch (const FileError& e) {
    PrintError("--report: " + EscapeForLine(e.what()));
    return false;
  }
}

}  // namespace tarnwick::cli
