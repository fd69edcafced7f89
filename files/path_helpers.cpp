// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "files/path_helpers.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <exception>
#include <new>
#include <vector>

#include "files/file_error.h"
#include "files/file_texts.h"
#include "files/pending_replacement.h"
#include "files/platform.h"
#include "files/run_ledger.h"
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

// Why a source that stat() refused cannot be copied, in the system's words
// except for the everyday missing file.
std::string SourceFailure(int error_number) {
  return error_number == ENOENT ? std::string(file_texts::kSourceMissing)
                                : std::string(std::strerror(error_number));
}

// True when source and destination are one directory entry: the same name
// in the same folder (folders compared by device and inode).
bool SameEntry(const std::string& source, const std::string& destination,
               const struct stat& destination_folder) {
  if (GetFileNamePart(source) != GetFileNamePart(destination)) return false;
  const std::string folder = GetFolderPart(source);
  struct stat info;
  return StatPath(folder.empty() ? "." : folder, info) &&
         IdOf(info) == IdOf(destination_folder);
}

std::string LinkText(const std::string& link) {
  std::vector<char> buffer(kMaxPath);
  const ssize_t length = readlink(link.c_str(), buffer.data(), buffer.size());
  return length < 0 ? std::string()
                    : std::string(buffer.data(), static_cast<std::size_t>(length));
}

CopyOutcome Outcome(CopyStatus status, std::string reason) {
  CopyOutcome outcome;
  outcome.status = status;
  outcome.reason = std::move(reason);
  return outcome;
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

namespace {

// What the open run would find at a destination that is no source of the
// copy: another input, or a file it wrote (or a preview of it would have).
// Sets outcome and returns true when the copy is refused.
bool InTheWay(const RunLedger& ledger, const struct stat* destination,
              const struct stat& folder, const std::string& to,
              const struct stat& source, CopyOutcome& outcome) {
  const RunLedger::Written* written =
      ledger.PlannedAt(IdOf(folder), GetFileNamePart(to));
  if (written == nullptr && destination != nullptr) {
    if (const std::string* input = ledger.InputAt(IdOf(*destination))) {
      outcome = Outcome(CopyStatus::kInputInTheWay,
                        file_texts::InputInTheWay(to, *input));
      return true;
    }
    written = ledger.WrittenAt(IdOf(*destination));
  }
  if (written == nullptr) return false;
  if (written->origin == RunLedger::Origin::kRewritten) {
    outcome = Outcome(CopyStatus::kInputInTheWay,
                      file_texts::ResultInTheWay(to, written->source));
    return true;
  }
  if (written->source_id != IdOf(source)) {
    outcome.replaced_result_of = written->source;
  }
  return false;
}

// SafeCopyFile's steps; with a preview, PreviewCopyFile's or
// CheckCopyFile's.
CopyOutcome CopyOrPreview(const std::string& source,
                          const std::string& destination, Preview preview,
                          RunLedger* ledger,
                          std::optional<std::uint64_t>& source_size) noexcept {
  std::string from, to;
  try {
    if (IsBlank(source) || IsBlank(destination)) {
      return Outcome(CopyStatus::kBlankPath, file_texts::kBlankPath);
    }
    from = FixBackslashes(source);
    to = FixBackslashes(destination);
    struct stat source_info;
    if (!StatPath(from, source_info)) {
      return Outcome(CopyStatus::kSourceMissing, SourceFailure(from.empty() ? ENOENT : errno));
    }
    if (S_ISDIR(source_info.st_mode)) {
      return Outcome(CopyStatus::kSourceMissing, file_texts::kSourceIsFolder);
    }
    if (!S_ISREG(source_info.st_mode)) {
      return Outcome(CopyStatus::kSourceMissing, file_texts::kSourceNotRegular);
    }
    source_size = static_cast<std::uint64_t>(source_info.st_size);
    const std::string folder =
        GetFolderPart(to).empty() ? std::string(".") : GetFolderPart(to);
    struct stat folder_info;
    if (!StatPath(folder, folder_info)) {
      if (errno == ENOENT) {
        return Outcome(CopyStatus::kFolderMissing, file_texts::FolderMissing(folder));
      }
      return Outcome(StatusFor(errno), std::strerror(errno));
    }
    if (!S_ISDIR(folder_info.st_mode)) {
      return Outcome(CopyStatus::kFolderMissing, file_texts::FolderMissing(folder));
    }

    CopyOutcome copied = Outcome(CopyStatus::kCopied, "");
    struct stat destination_info;
    if (lstat(to.c_str(), &destination_info) == 0) {
      if (S_ISLNK(destination_info.st_mode) &&
          stat(to.c_str(), &destination_info) != 0) {
        if (errno == ENOENT) {
          return Outcome(CopyStatus::kDanglingLink,
                  file_texts::DanglingLink(to, LinkText(to)));
        }
        return Outcome(StatusFor(errno), std::strerror(errno));
      }
      if (S_ISDIR(destination_info.st_mode)) {
        return Outcome(CopyStatus::kFailed, file_texts::kDestinationIsFolder);
      }
      const FileId id = IdOf(destination_info);
      if (id == IdOf(source_info)) {
        if (SameEntry(from, to, folder_info)) return Outcome(CopyStatus::kSameFile, "");
        return Outcome(CopyStatus::kSameFileLinked,
                file_texts::SameFileThroughLink(from, to));
      }
      if (ledger != nullptr && InTheWay(*ledger, &destination_info, folder_info,
                                        to, source_info, copied)) {
        return copied;
      }
    } else if (errno != ENOENT) {
      return Outcome(StatusFor(errno), std::strerror(errno));
    } else if (ledger != nullptr && InTheWay(*ledger, nullptr, folder_info, to,
                                             source_info, copied)) {
      return copied;
    }

    // A preview or check asks whether the source may be read; the copy
    // opens it.
    UniqueFd input(-1);
    if (preview != Preview::kOff) {
      if (faccessat(AT_FDCWD, from.c_str(), R_OK, AT_EACCESS) != 0) {
        return Outcome(CopyStatus::kFailed, file_texts::SourceUnreadable(std::strerror(errno)));
      }
    } else {
      input.reset(open(from.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
      if (input.get() < 0 || fstat(input.get(), &source_info) != 0) {
        return Outcome(CopyStatus::kFailed, file_texts::SourceUnreadable(std::strerror(errno)));
      }
    }
    PendingReplacement replacement(to, CopyMode(source_info),
                                   {from, IdOf(source_info)},
                                   {ledger, preview, /*seal=*/nullptr});
    if (input.get() >= 0) replacement.CopyFrom(input.get(), from);
    replacement.Commit();
    return copied;
  } catch (const FileError& error) {
    if (error.path() == from && error.path() != to) {
      return Outcome(CopyStatus::kFailed, file_texts::SourceUnreadable(error.reason()));
    }
    if (error.path() == to && error.path() != from) {
      return Outcome(StatusFor(error.error_number()),
                     file_texts::DestinationReason(error.reason()));
    }
    return Outcome(StatusFor(error.error_number()), error.reason());
  } catch (const std::bad_alloc&) {
    return Outcome(CopyStatus::kFailed, file_texts::kOutOfMemoryReason);
  } catch (const std::exception& error) {
    return Outcome(CopyStatus::kFailed, error.what());
  } catch (...) {
    return Outcome(CopyStatus::kFailed, file_texts::kUnknownFailure);
  }
}

CopyOutcome WithSourceSize(CopyOutcome outcome,
                           std::optional<std::uint64_t> size) {
  outcome.source_size = size;
  return outcome;
}

}  // namespace

mode_t CopyMode(const struct stat& source) {
  return (source.st_mode & 0777) | S_IWUSR;
}

CopyOutcome SafeCopyFile(const std::string& source,
                         const std::string& destination,
                         RunLedger* ledger) noexcept {
  std::optional<std::uint64_t> size;
  return WithSourceSize(
      CopyOrPreview(source, destination, Preview::kOff, ledger, size), size);
}

CopyOutcome PreviewCopyFile(const std::string& source,
                            const std::string& destination,
                            RunLedger* ledger) noexcept {
  std::optional<std::uint64_t> size;
  return WithSourceSize(
      CopyOrPreview(source, destination, Preview::kChecked, ledger, size), size);
}

CopyOutcome CheckCopyFile(const std::string& source,
                          const std::string& destination,
                          RunLedger* ledger) noexcept {
  std::optional<std::uint64_t> size;
  return WithSourceSize(
      CopyOrPreview(source, destination, Preview::kCheckedOnly, ledger, size),
      size);
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
  return file_texts::CannotCopy(
      source, destination,
      outcome.reason.empty() ? std::string(file_texts::kUnknownFailure)
                             : outcome.reason);
}

}  // namespace tarnwick
