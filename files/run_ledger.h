// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// What one batch run reads and writes, handed by the run to every write it
// makes (ReplaceScope, SafeCopyFile, the engine's EditContext), so that the
// run never writes over one of its own inputs and never flushes a file it
// made itself.
//
// For the writes given a ledger:
//  - SafeCopyFile refuses a destination that is one of the run's inputs, or
//    a file the run rewrote from one of them, and says when it replaces the
//    run's copy of another source (two entries with the same name);
//  - an edit (ReplaceFileContents, the piecewise edit) never creates the
//    file it was meant to edit: a missing file is "the file has gone";
//  - replacing a file the run itself copied is not flushed to disk: that
//    file holds no content that exists nowhere else;
//  - every replacement is recorded here, and told beforehand to the run's
//    journal when it has one (files/replacement_journal.h);
//  - with a group (SetGroup), a replacement of a file holding content of
//    its own waits there to be flushed and renamed with others, and is
//    recorded here once renamed;
//  - a preview (a dry run, which writes nothing) records here what the run
//    would have written, by folder and name, so that the checks of later
//    entries see what they would see in the real run.
#ifndef TARNWICK_FILES_RUN_LEDGER_H_
#define TARNWICK_FILES_RUN_LEDGER_H_

#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>
#include <memory>
#include <string>
#include <unordered_map>

#include "files/unique_fd.h"

namespace tarnwick {

class ReplacementGroup;
class ReplacementJournal;

// A file by device and inode.
struct FileId {
  dev_t device = 0;
  ino_t inode = 0;
  friend bool operator==(const FileId&, const FileId&) = default;
};
inline FileId IdOf(const struct stat& info) { return {info.st_dev, info.st_ino}; }

struct FileIdHash {
  std::size_t operator()(const FileId& id) const noexcept {
    return std::hash<unsigned long long>()(id.inode) ^
           (std::hash<unsigned long long>()(id.device) << 1);
  }
};

class RunLedger {
 public:
  enum class Origin {
    kCopied,     // the run's copy of a source, made in the output folder
    kRewritten,  // a file that held other content before the run
  };
  struct Written {
    Origin origin = Origin::kCopied;
    std::string path;     // where the run wrote it
    std::string source;   // the input it was made from (path as listed)
    FileId source_id;     // that input's identity when it was read
  };

  RunLedger() = default;
  RunLedger(const RunLedger&) = delete;
  RunLedger& operator=(const RunLedger&) = delete;

  // Remembers path as an input of the run (nothing when it cannot be
  // examined).
  void AddInput(const std::string& path);
  // The input at id, as listed, or nullptr.
  const std::string* InputAt(FileId id) const;

  // The file the run wrote that is now at id, or nullptr.
  const Written* WrittenAt(FileId id) const;
  // Records that the file at id is now what the run wrote.
  void Record(FileId id, Written written);
  // Records that the file at before was replaced by the one at after: a
  // file the run wrote keeps its record, any other becomes kRewritten. An
  // input is known by after from then on, never again by before.
  void Replaced(FileId before, FileId after, const std::string& path);

  // Records that a preview would have written the file name in the folder
  // at folder (PendingReplacement with Preview::kChecked).
  void Plan(FileId folder, const std::string& name, Written written);
  // What a preview would have written as name in the folder at folder, or
  // nullptr. Nothing is planned in a run that writes.
  const Written* PlannedAt(FileId folder, const std::string& name) const;

  // The journal every replacement of the run is told to before it takes
  // place; nullptr (the default) for none.
  void SetJournal(ReplacementJournal* journal) { journal_ = journal; }
  ReplacementJournal* journal() const { return journal_; }

  // The group in which replacements of files holding content of their own
  // wait to be made durable together (files/replacement_group.h); nullptr
  // (the default) for none: each is flushed and renamed on its own.
  void SetGroup(ReplacementGroup* group) { group_ = group; }
  ReplacementGroup* group() const { return group_; }

  // The folder at path (as the run names it, "out/" or "./"), opened
  // (O_PATH) for the run's writes in it; the last folder opened stays open
  // for the next write there while the path still names it (a stat, not
  // an open, per file). A descriptor below 0 (errno set) when it cannot be
  // opened.
  std::shared_ptr<const UniqueFd> Folder(const std::string& path);

  // Every file the run wrote, by identity.
  const std::unordered_map<FileId, Written, FileIdHash>& written() const {
    return written_;
  }

 private:
  std::unordered_map<FileId, std::string, FileIdHash> inputs_;
  std::unordered_map<FileId, Written, FileIdHash> written_;
  std::unordered_map<std::string, Written> planned_;  // by PlanKey
  ReplacementJournal* journal_ = nullptr;
  ReplacementGroup* group_ = nullptr;
  std::string folder_path_;
  FileId folder_id_;
  std::shared_ptr<const UniqueFd> folder_;
};

}  // namespace tarnwick

#endif  // TARNWICK_FILES_RUN_LEDGER_H_
