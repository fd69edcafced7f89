// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// Replacements of files that hold content of their own, made durable in
// groups instead of one by one. A run that owns a group hands it to its
// ledger (RunLedger::SetGroup); PendingReplacement::Commit then writes and
// closes nothing more than it must: the new file stays open and unflushed
// beside the old one, the journal keeps the old file and records the
// replacement without flushing, and the group takes the new file over.
// Publish() then, for the whole group:
//   1. flushes every new file (one syncfs of each file system that holds
//      at least four of them, or an fdatasync of each file in a row) and
//      closes it;
//   2. has the journal flush its kept files and records once;
//   3. renames each new file over its old one, in the order prepared.
// A crash before 3 leaves every old file whole (and the journal able to
// undo any rename that did happen); a failure of one file's step removes
// its new file and leaves its old one whole. Files the run creates, and
// copies it made itself, never wait in a group: they hold no content that
// exists nowhere else.
#ifndef TARNWICK_FILES_REPLACEMENT_GROUP_H_
#define TARNWICK_FILES_REPLACEMENT_GROUP_H_

#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "files/file_error.h"
#include "files/run_ledger.h"
#include "files/unique_fd.h"

namespace tarnwick {

// How a group's new files are made durable before their renames.
enum class GroupFlush {
  kFileSystem,  // one syncfs(2) on each file system the group writes to
                // (fdatasync of each when it writes fewer than four there)
  kEachFile,    // fdatasync(2) of each new file, one after the other
};

// A group's flush costs a commit of the file system's journal, whatever
// the group holds: the bigger the group, the fewer commits. Each file
// waiting holds one descriptor open: a group holds at most a quarter of
// the files the process may open.
struct GroupSettings {
  GroupFlush flush = GroupFlush::kFileSystem;
  int files = 1024;                               // prepared files at most
  std::uint64_t bytes = std::uint64_t{64} << 20;  // their bytes at most
};

class ReplacementGroup {
 public:
  // A new file written and closed for writing, waiting for its rename.
  struct Prepared {
    std::string path;       // as the caller named it, for messages
    std::string name;       // the old file's name in its folder
    std::string temporary;  // the new file's name there
    std::shared_ptr<const UniqueFd> folder;  // shared with the run's ledger
    UniqueFd file{-1};      // the new file, still open
    struct stat old_info {};
    struct stat written {};
    std::optional<RunLedger::Written> record;  // for a copy of a source
    int tag = 0;  // the caller's tag (GroupFailure::tag)
  };
  // A prepared file that was not published: its old file is whole.
  struct Failure {
    std::string path;
    int tag = 0;
    FileError error;
  };

  explicit ReplacementGroup(GroupSettings settings = {});
  // Whatever is still prepared is discarded.
  ~ReplacementGroup();
  ReplacementGroup(const ReplacementGroup&) = delete;
  ReplacementGroup& operator=(const ReplacementGroup&) = delete;

  // The tag given to files prepared from now on.
  void SetTag(int tag) { tag_ = tag; }
  // Takes over a prepared file (PendingReplacement::Commit).
  void Add(Prepared prepared);

  bool empty() const { return prepared_.empty(); }
  // True once the group holds as many files or bytes as its limits allow.
  bool full() const;
  // True when the file path names (links followed) is the old file of a
  // prepared replacement, so that reading or writing it now would miss
  // what the run already wrote.
  bool Holds(const std::string& path) const;

  // Makes the group durable and renames its files (see above); the ledger,
  // when given, learns each replacement that took place. Returns the files
  // that failed, in the order prepared.
  std::vector<Failure> Publish(RunLedger* ledger);
  // Removes every prepared new file: their old files stay.
  void Discard() noexcept;

 private:
  GroupSettings settings_;
  int most_files_ = 0;  // settings_.files within the open-file limit
  int tag_ = 0;
  std::uint64_t bytes_ = 0;
  std::vector<Prepared> prepared_;
  std::unordered_set<FileId, FileIdHash> old_ids_;
};

}  // namespace tarnwick

#endif  // TARNWICK_FILES_REPLACEMENT_GROUP_H_
