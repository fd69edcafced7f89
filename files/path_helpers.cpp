#include "files/path_helpers.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <exception>

#include "files/file_error.h"
#include "files/pending_replacement.h"
#include "files/platform.h"
#include "files/unique_fd.h"

namespace tarnwick {
namespace {

// stat() for a path the file system can be asked about at all.
bool StatPath(const std::string& path, struct stat& info) {
  return !path.empty() && path.find('\0') == std::string::npos &&
         stat(path.c_str(), &info) == 0;
}

bool IsBlank(const std::string& path) {
  return path.find_first_not_of(' ') == std::string::npos;
}

// Appends text with every pair of separators made one, left to right,
// without overlaps.
void AppendPairsCollapsed(std::string_view text, std::string& out) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    out.push_back(text[i]);
    if (text[i] == kSeparator && i + 1 < text.size() && text[i + 1] == kSeparator) {
      ++i;
    }
  }
}

CopyStatus StatusFor(int error_number) {
  switch (error_number) {
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY:
      return CopyStatus::kWriteRefused;
    case ENOSPC:
    case EDQUOT:
      return CopyStatus::kDiskFull;
    case ENOENT:  // a link's target lies in a folder that does not exist
      return CopyStatus::kFolderMissing;
    default:
      return CopyStatus::kFailed;
  }
}

// Why a source that is no existing file cannot be copied.
std::string MissingSourceReason(const std::string& source) {
  if (IsFolder(source)) return "the source is a folder, not a file";
  if (PathExists(source)) return "the source is not a regular file";
  return "the file does not exist";
}

std::string UnreadableSourceReason(const std::string& system_reason) {
  return "the source cannot be read (" + system_reason + ")";
}

}  // namespace

bool PathExists(const std::string& path) noexcept {
  struct stat info;
  return StatPath(path, info);
}

bool IsFolder(const std::string& path) noexcept {
  struct stat info;
  return StatPath(path, info) && S_ISDIR(info.st_mode);
}

bool IsExistingFile(const std::string& path) noexcept {
  // Opening asks for no access rights, so a file we may not read still
  // exists. Only regular files count: a pipe or a device is no text file,
  // and opening one could block.
  struct stat info;
  return StatPath(path, info) && S_ISREG(info.st_mode);
}

std::string GetFileNamePart(const std::string& path) {
  const std::size_t separator = path.rfind(kSeparator);
  return separator == std::string::npos ? path : path.substr(separator + 1);
}

std::string GetFolderPart(const std::string& path) {
  const std::size_t separator = path.rfind(kSeparator);
  return separator == std::string::npos ? std::string()
                                        : path.substr(0, separator + 1);
}

std::string FixBackslashes(const std::string& path) {
  std::string fixed;
  fixed.reserve(path.size());
  std::string_view rest = path;
  if (!rest.empty() && rest.front() == kSeparator) {
    // No network paths here: the leading run is the root, one separator.
    const std::size_t first = rest.find_first_not_of(kSeparator);
    rest.remove_prefix(first == std::string_view::npos ? rest.size() : first);
    fixed.push_back(kSeparator);
  }
  AppendPairsCollapsed(rest, fixed);
  return fixed;
}

CopyOutcome SafeCopyFile(const std::string& source,
                         const std::string& destination) noexcept {
  std::string from, to;
  try {
    if (IsBlank(source) || IsBlank(destination)) {
      return {CopyStatus::kBlankPath, "a path is empty"};
    }
    from = FixBackslashes(source);
    to = FixBackslashes(destination);
    if (!IsExistingFile(from)) {
      return {CopyStatus::kSourceMissing, MissingSourceReason(from)};
    }
    const std::string folder = GetFolderPart(to);
    if (!IsFolder(folder.empty() ? "." : folder)) {
      return {CopyStatus::kFolderMissing,
              "the folder " + (folder.empty() ? "." : folder) + " does not exist"};
    }
    struct stat source_info, destination_info;
    if (!StatPath(from, source_info)) {
      return {CopyStatus::kSourceMissing, MissingSourceReason(from)};
    }
    if (StatPath(to, destination_info)) {
      if (destination_info.st_dev == source_info.st_dev &&
          destination_info.st_ino == source_info.st_ino) {
        return {CopyStatus::kSameFile, ""};
      }
      if (S_ISDIR(destination_info.st_mode)) {
        return {CopyStatus::kFailed, "the destination is a folder"};
      }
    }

    UniqueFd input(open(from.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (input.get() < 0 || fstat(input.get(), &source_info) != 0) {
      return {CopyStatus::kFailed, UnreadableSourceReason(std::strerror(errno))};
    }
    // The permission bits travel, the set-user and set-group bits do not.
    // The copy is ours to rewrite, so its owner may always write it: a
    // read-only input still gets its result, and the next run can replace it.
    PendingReplacement replacement(to, (source_info.st_mode & 0777) | S_IWUSR);
    replacement.CopyFrom(input.get(), from);
    replacement.Commit();
    return {CopyStatus::kCopied, ""};
  } catch (const FileError& error) {
    if (error.path() == from && error.path() != to) {
      return {CopyStatus::kFailed, UnreadableSourceReason(error.reason())};
    }
    return {StatusFor(error.error_number()), error.reason()};
  } catch (const std::exception& error) {
    return {CopyStatus::kFailed, error.what()};
  } catch (...) {
    return {CopyStatus::kFailed, "unknown failure"};
  }
}

std::string DescribeCopyFailure(const CopyOutcome& outcome,
                                const std::string& source,
                                const std::string& destination) {
  switch (outcome.status) {
    case CopyStatus::kCopied:
      return "Copied " + source + " to " + destination + ".";
    case CopyStatus::kSameFile:
      return source + " and " + destination + " are the same file.";
    default:
      break;
  }
  const std::string reason =
      outcome.reason.empty() ? std::string("unknown failure") : outcome.reason;
  return "Cannot copy " + source + " to " + destination + ": " + reason + ".";
}

}  // namespace tarnwick
