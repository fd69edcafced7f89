// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// What a replacement tells the journal of the run it belongs to, before
// the new file takes its place: the journal keeps the old content (or says
// why it cannot) and records what the new file is, so that the run can be
// undone file by file. A run hands its journal to its ledger
// (RunLedger::SetJournal); PendingReplacement::Commit calls it after the
// new file is written and closed and before the rename. A file whose
// content stays the same is never renamed, so it never reaches the journal.
#ifndef TARNWICK_FILES_REPLACEMENT_JOURNAL_H_
#define TARNWICK_FILES_REPLACEMENT_JOURNAL_H_

#include <sys/stat.h>

#include <cstdint>
#include <string>

namespace tarnwick {

// A file as the run left it: a rename changes none of these.
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  std::uint64_t size = 0;
  std::int64_t mtime_ns = 0;  // modification time, ns since the epoch
  friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

FileIdentity IdentityOf(const struct stat& info);

struct KeepResult {
  enum class Outcome {
    kKept,     // recorded (and the old content kept, when there was one)
    kNotKept,  // the write goes on, but undo cannot bring the old back
    kRefused,  // the write must not happen: undo is required
  };
  Outcome outcome = Outcome::kKept;
  // kNotKept: the note for the run's record ("its old content was not
  // kept: ..."); kRefused: why the old content cannot be kept.
  std::string note;
};

class ReplacementJournal {
 public:
  virtual ~ReplacementJournal() = default;
  // The file at target (links followed), now old, is about to be replaced
  // by the new file after.
  virtual KeepResult BeforeReplace(const std::string& target,
                                   const struct stat& old,
                                   const FileIdentity& after) = 0;
  // The same for a replacement that waits in a group
  // (files/replacement_group.h): the old content is kept and the record
  // written, but neither needs to be durable before FlushGroup().
  virtual KeepResult BeforeGroupedReplace(const std::string& target,
                                          const struct stat& old,
                                          const FileIdentity& after) {
    return BeforeReplace(target, old, after);
  }
  // Makes durable whatever was kept and recorded so far, before a group's
  // renames. kRefused: they must not happen (undo is required and cannot
  // be promised); kNotKept: they go on, but cannot be undone.
  virtual KeepResult FlushGroup() { return {}; }
  // Nothing was at target; the new file after is about to be put there.
  virtual KeepResult BeforeCreate(const std::string& target,
                                  const FileIdentity& after) = 0;
};

}  // namespace tarnwick

#endif  // TARNWICK_FILES_REPLACEMENT_JOURNAL_H_
