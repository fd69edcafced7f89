// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// What a batch run did, entry by entry, for a report, a preview and the
// journal that makes a run undoable. The run tells a RunObserver (when its
// host has one) after each entry, and hands the observer's journal to its
// ledger, which tells it every replacement before it takes place.
#ifndef TARNWICK_BATCH_RUN_RECORD_H_
#define TARNWICK_BATCH_RUN_RECORD_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "files/replacement_journal.h"

namespace tarnwick {

enum class EntryStatus {
  kChanged,    // the output's bytes differ from the input's
  kUnchanged,  // the output holds exactly the input's bytes
  kFailed,     // a step failed; reason says why
  kSkipped,    // the dialog was cancelled: the output is a plain copy
};

std::string_view StatusName(EntryStatus status);

struct EntryRecord {
  std::string source;
  std::string output;  // empty when the entry failed before it was known
  EntryStatus status = EntryStatus::kUnchanged;
  // Characters dropped, spaces or empty lines removed, or matches replaced
  // (a match replaced by its own text counts too: status, not changes,
  // says whether the bytes changed).
  std::uint64_t changes = 0;
  // Find and replace, remove x: the matches of each find line, in order,
  // empty lines included (0); none when the operation did not run to its
  // end on the entry.
  std::optional<std::vector<std::uint64_t>> per_pair;
  // The input's size, when the run could examine it; the output's, when
  // the entry has a result (none for a failed entry).
  std::optional<std::uint64_t> bytes_before;
  std::optional<std::uint64_t> bytes_after;
  std::string reason;  // failed: the failure; skipped: why; else empty
};

class RunObserver {
 public:
  virtual ~RunObserver() = default;
  // True for a preview: the run copies nothing, applies the operation to
  // the input without writing, and only reports.
  virtual bool DryRun() const { return false; }
  // The journal every write of the run is told to beforehand, or nullptr.
  virtual ReplacementJournal* Journal() { return nullptr; }
  // A note the run gave about the entry in hand (the host shows it too).
  virtual void Note(const std::string& text) { (void)text; }
  virtual void EntryDone(const EntryRecord& record) { (void)record; }
  // The run has done its last entry (or stopped): only its closing steps
  // (the progress reset, "Done.") are left.
  virtual void RunEnded() {}
  // The write of the entry-th entry (1-based), whose record was given
  // already, failed when its group was published (files/
  // replacement_group.h): its file kept its old content. reason as for a
  // failed record.
  virtual void EntryFailedLater(int entry, const std::string& reason) {
    (void)entry;
    (void)reason;
  }
  // The record of the entry-th entry (1-based), given already, is record
  // now (EntryFailedLater made it that of a failed entry).
  virtual void EntryRevised(int entry, const EntryRecord& record) {
    (void)entry;
    (void)record;
  }
};

// Keeps every entry's record, and passes the writes on to a journal when
// there is one; a note the journal gives about a write (its old content
// was not kept) becomes a note of the entry in hand.
class RunRecorder : public RunObserver, private ReplacementJournal {
 public:
  explicit RunRecorder(bool dry_run, RunObserver* journal = nullptr)
      : dry_run_(dry_run), journal_(journal) {}
  bool DryRun() const override { return dry_run_; }
  // The journal of the entries still to come (nullptr: none).
  void SetJournal(RunObserver* journal) { journal_ = journal; }
  ReplacementJournal* Journal() override {
    return journal_ != nullptr && journal_->Journal() != nullptr ? this
                                                                 : nullptr;
  }
  // Kept as the entry's reason in its record, when it has none: the
  // window's report shows it. Two notes of one entry are joined by "; ".
  void Note(const std::string& text) override {
    note_ = note_.empty() ? text : note_ + "; " + text;
  }
  // The journal's note about the write of target: a note of the entry.
  virtual void JournalNote(const std::string& target, const std::string& text) {
    (void)target;
    Note(text);
  }
  void EntryDone(const EntryRecord& record) override {
    records_.push_back(record);
    if (records_.back().reason.empty()) records_.back().reason = note_;
    note_.clear();
    if (journal_ != nullptr) journal_->EntryDone(records_.back());
  }
  void RunEnded() override {
    if (journal_ != nullptr) journal_->RunEnded();
  }
  // The record becomes that of a failed entry, as if the write had failed
  // in its turn.
  void EntryFailedLater(int entry, const std::string& reason) override {
    if (entry < 1 || entry > static_cast<int>(records_.size())) return;
    EntryRecord& record = records_[static_cast<std::size_t>(entry - 1)];
    record.status = EntryStatus::kFailed;
    record.reason = reason;
    record.changes = 0;
    record.per_pair.reset();
    record.bytes_after.reset();
    if (journal_ != nullptr) journal_->EntryRevised(entry, record);
  }
  const std::vector<EntryRecord>& records() const { return records_; }

 private:
  KeepResult BeforeReplace(const std::string& target, const struct stat& old,
                           const FileIdentity& after) override {
    return Noted(target, journal_->Journal()->BeforeReplace(target, old, after));
  }
  KeepResult BeforeGroupedReplace(const std::string& target,
                                  const struct stat& old,
                                  const FileIdentity& after) override {
    return Noted(target,
                 journal_->Journal()->BeforeGroupedReplace(target, old, after));
  }
  KeepResult FlushGroup() override { return journal_->Journal()->FlushGroup(); }
  KeepResult BeforeCreate(const std::string& target,
                          const FileIdentity& after) override {
    return Noted(target, journal_->Journal()->BeforeCreate(target, after));
  }
  KeepResult Noted(const std::string& target, KeepResult result) {
    if (result.outcome == KeepResult::Outcome::kNotKept) {
      JournalNote(target, result.note);
    }
    return result;
  }

  bool dry_run_;
  RunObserver* journal_;
  std::vector<EntryRecord> records_;
  std::string note_;
};

// One JSON object on one line (no line end): source, output, status,
// changes, bytes_before, bytes_after (null when not known), reason, and
// per_pair when there is one. Bytes of a path that are not UTF-8 are written as the escapes
// \udc80 to \udcff; every character beyond ASCII as a \u escape.
std::string ReportLine(const EntryRecord& record);

// The record a report line holds: ReportLine's own fields in any order,
// its escapes (\udc80 to \udcff back to the bytes they stand for) and
// plain JSON string escapes. Nothing when the line is not such an object:
// a field missing, unknown or of the wrong kind, a number out of range, or
// text after the object.
std::optional<EntryRecord> ParseReportLine(std::string_view line);

}  // namespace tarnwick

#endif  // TARNWICK_BATCH_RUN_RECORD_H_
