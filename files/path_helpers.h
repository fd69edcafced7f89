// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// Small, stateless helpers on paths and files. None of them shows anything,
// and none lets a file-system failure escape: each answers false, the empty
// text, or an outcome the caller can read.
#ifndef TARNWICK_FILES_PATH_HELPERS_H_
#define TARNWICK_FILES_PATH_HELPERS_H_

#include <sys/stat.h>

#include <cstdint>
#include <optional>
#include <string>

namespace tarnwick {

class RunLedger;

// True when the file system can give the path's modification time.
bool PathExists(const std::string& path) noexcept;
// True only for folders.
bool IsFolder(const std::string& path) noexcept;
// True only for files that exist and can be opened (any size, also empty);
// false for folders.
bool IsExistingFile(const std::string& path) noexcept;

// Everything after the last separator; the whole path when it has none.
std::string GetFileNamePart(const std::string& path);
// The path up to and including the last separator; empty when it has none.
std::string GetFolderPart(const std::string& path);
// Collapses doubled separators in one left-to-right pass of pairs; a leading
// run of separators becomes exactly one.
std::string FixBackslashes(const std::string& path);

enum class CopyStatus {
  kCopied,             // the destination now holds the source's bytes
  kSameFile,           // source and destination are one file: nothing to do
  kBlankPath,          // a path was empty or only spaces: nothing done
  kSourceMissing,      // the source is not an existing file
  kSameFileLinked,     // the destination reaches the source through a link
                       // from another folder: refused, nothing written
  kDanglingLink,       // the destination is a link to a missing file
  kInputInTheWay,      // the destination is another input of the open run,
                       // or the run's result for one: refused
  kFolderMissing,      // the destination's folder does not exist
  kWriteRefused,       // the destination could not be written
  kDiskFull,           // no space left for the destination
  kFailed,             // any other failure; see reason
};

struct CopyOutcome {
  CopyStatus status = CopyStatus::kFailed;
  std::string reason;  // the system's reason, empty when copied
  // When copied over the open run's copy of another source (two entries
  // with the same name): that source, whose result is replaced.
  std::string replaced_result_of;
  // The source's size, when it could be examined as a file.
  std::optional<std::uint64_t> source_size;

  // True when the destination holds the source's content afterwards
  // (copied, or the same file).
  bool ok() const noexcept {
    return status == CopyStatus::kCopied || status == CopyStatus::kSameFile;
  }
};

// Copies source over destination by the safe-write recipe (the old
// destination survives any failure), keeping the source's permission bits
// and adding the owner's write bit, so that the copy can be rewritten.
// The same file counts as nothing to do only in its own folder (the same
// directory entry); reached through a link from elsewhere it is refused, and
// so is a destination that is a link to a missing file. Within a run (a
// ledger given: files/run_ledger.h), a destination that is another input of
// the run, or the run's result for one, is refused, and the copy is
// recorded there. Reasons are the system's own. Never throws and shows
// nothing.
CopyOutcome SafeCopyFile(const std::string& source,
                         const std::string& destination,
                         RunLedger* ledger = nullptr) noexcept;

// What SafeCopyFile(source, destination, ledger) would answer, found by
// the very same steps, writing nothing: every refusal with the same status
// and reason (a read-only destination, a folder that takes no new file
// included), and the same note of a result replaced. The copy that would
// have been made is planned in the ledger (RunLedger::Plan), so that a
// later preview sees it as SafeCopyFile would.
CopyOutcome PreviewCopyFile(const std::string& source,
                            const std::string& destination,
                            RunLedger* ledger = nullptr) noexcept;

// The same answer as PreviewCopyFile, planning nothing: the check a run
// makes before it writes the copy itself, later (as an edit's result
// written straight from the source, or by SafeCopyFile).
CopyOutcome CheckCopyFile(const std::string& source,
                          const std::string& destination,
                          RunLedger* ledger) noexcept;

// The permission bits a copy of a file with source's status gets: the
// file's own, without the set-user and set-group bits, and the owner's
// write bit, so that the run can rewrite its copy and the next run replace
// it.
mode_t CopyMode(const struct stat& source);

// A plain sentence for an outcome that is not ok(), naming both files.
std::string DescribeCopyFailure(const CopyOutcome& outcome,
                                const std::string& source,
                                const std::string& destination);

}  // namespace tarnwick

#endif  // TARNWICK_FILES_PATH_HELPERS_H_
