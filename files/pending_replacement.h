// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// A replacement of one file's content in progress: the new content goes to
// a new file beside the file being replaced and takes its place only on
// Commit(). Until then, and whenever a step fails, the old file stays as it
// was and the new file is removed. For a name that holds no file yet, the
// new file has no name at all until Commit() links it there, where the
// system allows (O_TMPFILE). Used by the safe write and the safe copy.
#ifndef TARNWICK_FILES_PENDING_REPLACEMENT_H_
#define TARNWICK_FILES_PENDING_REPLACEMENT_H_

#include <sys/stat.h>
#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "files/run_ledger.h"
#include "files/unique_fd.h"

namespace tarnwick {

class ReplacementGroup;
class ReplacementJournal;
struct SealedFile;

// The file a path finally names once symbolic links are followed (the path
// itself when it is no link). A dangling link gives the missing file it
// points to. Throws FileError for a loop of links.
std::string ResolveLinks(const std::string& path);

// The hidden name of the new file while it is pending: the target's name
// (cut to fit the name limit, never inside a character) between a dot and
// ".tarnwick-" plus suffix, so that a file left by a crash can be traced.
std::string TemporaryName(std::string_view name, std::string_view suffix);

// How much of a replacement really happens. A preview writes nothing at
// all (no new file either) but compares what it is given with the old
// content just the same, so that unchanged() says what a real replacement
// would have found.
enum class Preview {
  kOff,          // the replacement happens
  kChecked,      // nothing is written, but whatever a real replacement would
                 // refuse (a read-only file, a folder that takes no new file)
                 // is refused the same way, and the run's ledger is told
                 // what would have been written (RunLedger::Plan)
  kCheckedOnly,  // refused as kChecked, nothing planned: the check before
                 // a write that the caller makes later itself
  kUnchecked,    // nothing is written and nothing refused: the file stands
                 // for a fresh copy the run would make and may always rewrite
};

// What a replacement may do and whom it tells, as its caller decides.
struct ReplaceScope {
  // The run the replacement belongs to, or nullptr outside a run. Within a
  // run an edit never creates the file it was meant to edit ("the file has
  // gone"), a copy the run made is replaced without a flush, every
  // replacement is recorded in the ledger and told beforehand to its journal,
  // and replacements of files holding content of their own wait in its
  // group, when it has one (files/run_ledger.h).
  RunLedger* ledger = nullptr;
  Preview preview = Preview::kOff;
  // When given (a copy into a free name, outside a run): Commit() closes
  // the new file and hands it over here instead of naming it; the run
  // names it later (PublishSealed).
  SealedFile* seal = nullptr;
};

// A copy's new file, written in full but not yet given its name:
// what a replacement that seals leaves instead of renaming, so that the
// work of writing it can be done ahead, on another thread, while the run
// goes on. Destroyed unpublished, the new file is removed.
struct SealedFile {
  SealedFile() = default;
  SealedFile(SealedFile&& other) noexcept;
  SealedFile& operator=(SealedFile&& other) noexcept;
  ~SealedFile();
  // Whether it holds a new file still to be named.
  bool holds_file() const { return file.get() >= 0 || !temporary.empty(); }

  std::string path;         // as the caller named it, for messages
  std::string target;       // the name it gets, links followed
  std::string folder_path;  // target's folder, as the run names it
  std::string name;         // its name there
  // The new file: open and without a name, or, where the system has no
  // such files, closed under a temporary name in the folder.
  UniqueFd file{-1};
  std::string temporary;
  std::shared_ptr<const UniqueFd> folder;
  struct stat written {};
  std::string source;  // the input it was made from
  FileId source_id;

 private:
  void RemoveNewFile() noexcept;
};

// Gives a sealed file its name, as PendingReplacement::Commit would have:
// the run's journal is told first, the ledger records it. False, with the
// new file removed and nothing told, when the name is no longer free or
// the run's folder path no longer names the folder it was written in: the
// caller makes the file again. Throws FileError (new file removed) when
// the journal refuses it or the rename fails.
bool PublishSealed(SealedFile& sealed, RunLedger* ledger);

// Whether the name in folder still holds the file seen there at the start
// (old; nothing when existed is false): the same file, with the same size
// and modification time: someone's save to the file since it was looked at
// is never thrown away, whether the new content was made from it (an edit)
// or not (a copy or an edit's result written over an older file). error_number
// is 0 when it does; otherwise reason says what happened (empty when the
// system's own reason for failing to look says it).
struct NameCheck {
  int error_number = 0;
  std::string reason;
};
NameCheck CheckNameHolds(int folder, const std::string& name, bool existed,
                         const struct stat& old);

class PendingReplacement {
 public:
  // The source of a copy, for the run's ledger.
  struct CopySource {
    std::string path;
    FileId id;
    // When open (the caller keeps it open): the new content is the result
    // of an edit of the source, compared with the source's content read
    // from here as it comes. While it is the same nothing is written; where
    // it stops being the same, the part that matched is copied by the
    // kernel; when it is the same to the end, the new file is a copy of the
    // whole source made by the kernel, and unchanged() says so.
    int compare_fd = -1;
    std::uint64_t size = 0;  // the source's size when read (compare_fd)
  };

  // An edit of the file path names (after links). What is written is
  // compared with the old content as it comes: while it is the same,
  // nothing is written at all, and when it stays the same to the end the
  // file is left untouched (no new file, no refusal of a read-only file,
  // no space needed). Otherwise the old file must be a regular file whose
  // owner write bit is set and that the system lets us write, or missing in
  // an existing folder (never within a run: then a missing file is "the
  // file has gone"). The new file gets mode (by default the
  // old file's bits, or 0666 less the umask for a new one) and the old
  // file's owner, group and extended attributes as far as the system
  // allows. Throws FileError naming path.
  PendingReplacement(const std::string& path, std::optional<mode_t> mode,
                     const ReplaceScope& scope = {});
  // A copy of source written over path (missing is fine): compared with the
  // source when source.compare_fd is open, else never compared.
  PendingReplacement(const std::string& path, mode_t mode, CopySource source,
                     const ReplaceScope& scope = {});
  ~PendingReplacement();
  PendingReplacement(const PendingReplacement&) = delete;
  PendingReplacement& operator=(const PendingReplacement&) = delete;

  // Appends bytes to the new content. Throws FileError.
  void Write(std::string_view bytes);
  // Appends the content of an open file, from its current offset to its
  // end. Throws FileError (action "Cannot read" when reading failed).
  void CopyFrom(int source_fd, const std::string& source_path);
  // Closes the new file and renames it over the old file. Just before, the
  // name is looked at again: when it no longer holds the file found at the
  // start (replaced or removed, or for an edit also rewritten in place; or,
  // for a name that was free, now taken), nothing is renamed, nothing is
  // journaled, and FileError says the file changed meanwhile. When a file that
  // holds content of its own is replaced (not one the open run copied), the
  // new one is flushed to disk first, so that a crash leaves either the old
  // content or the new. Throws FileError; afterwards nothing is left to
  // clean up. While the run's ledger has a group (RunLedger::SetGroup),
  // such a replacement is only prepared: the new file waits, unflushed and
  // unrenamed, for the group to publish it with others.
  void Commit();

  // The file being replaced, links followed.
  const std::string& target() const { return target_; }
  // After Commit(): true when the content was the same and the file was
  // left untouched (in a preview: would have been); for a copy compared
  // with its source, when the new file is the source's bytes.
  bool unchanged() const { return unchanged_; }

 private:
  void Begin(std::optional<mode_t> mode);
  // Commit() into a group: the journal told, the new file handed over.
  void Prepare(ReplacementGroup& group, ReplacementJournal* journal);
  // Commit() of a preview: the comparison's verdict, and the plan.
  void FinishPreview();
  // Commit() that seals: the new file closed and handed over.
  void Seal(SealedFile& sealed);
  // Refuses, as CreateTemporary would, a folder that takes no new file.
  void CheckFolderTakesFile();
  // Opens the folder of target_ and looks at its name there (not
  // following a link).
  void OpenFolderAndLook();
  // Starts the new file, with the old content's first matched_ bytes.
  void Diverge();
  // Fails unless the name still holds what was found there at the start.
  void CheckNameUnchanged();
  void CreateTemporary();
  // The new file for a free name, without a name: 0, or why not
  // (EOPNOTSUPP where the system makes no such file or cannot link it).
  int CreateUnnamed(mode_t initial);
  void KeepOwnerAndAttributes();
  void CopyMatchedPrefix();
  // The part of bytes after the old content stopped matching; diverges
  // then. Empty while everything matches.
  std::string_view Compare(std::string_view bytes);
  void WriteAll(std::string_view bytes);
  // Removes the new file and throws FileError.
  [[noreturn]] void Fail(int error_number);
  [[noreturn]] void Fail(int error_number, const std::string& reason);
  [[noreturn]] void Fail(int error_number, const char* action,
                         const std::string& path);
  [[noreturn]] void FailNoTemporary(int error_number) const;
  void RemoveTemporary() noexcept;

  std::string path_;        // as the caller named it, for messages
  std::string target_;      // the file that is replaced
  std::string name_;        // its name in its folder
  std::string temporary_;   // the new file's name while it is pending
  std::optional<CopySource> copy_of_;
  // The folder of the target (within a run, shared with its ledger).
  std::shared_ptr<const UniqueFd> folder_;
  UniqueFd old_;            // the old file, read for comparing
  int compare_fd_ = -1;     // what the new content is compared with: old_,
                            // or a copy's source
  std::uint64_t compare_size_ = 0;  // its size when looked at
  std::unique_ptr<char[]> compare_buffer_;  // what was read from it
  std::size_t compare_buffer_size_ = 0;
  int fd_ = -1;             // the new file
  bool unnamed_ = false;    // it has no name yet (CreateUnnamed)
  struct stat old_info_ {};
  bool exists_ = false;
  bool run_copy_ = false;  // the old file is a copy the open run made
  bool comparing_ = false;
  bool unchanged_ = false;
  std::optional<mode_t> mode_;
  RunLedger* ledger_ = nullptr;
  Preview preview_ = Preview::kOff;
  SealedFile* seal_ = nullptr;
  std::string folder_path_;  // target_'s folder, as opened
  std::uint64_t matched_ = 0;  // bytes known equal to the old content
};

}  // namespace tarnwick

#endif  // TARNWICK_FILES_PENDING_REPLACEMENT_H_
