// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "batch/batch_run.h"

#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <new>
#include <stdexcept>
#include <string>
#include <utility>

#include "batch/batch_texts.h"
#include "batch/edit_ahead.h"
#include "batch/run_guard.h"
#include "batch/run_record.h"
#include "core/error_report.h"
#include "core/operation_keys.h"
#include "core/routine_identities.h"
#include "core/settings_store.h"
#include "engine/text_operations.h"
#include "files/file_error.h"
#include "files/file_texts.h"
#include "files/path_helpers.h"
#include "files/platform.h"
#include "files/replacement_group.h"
#include "files/run_ledger.h"

namespace tarnwick {
namespace {

using batch_texts::kDone;
using batch_texts::kNoFiles;
using batch_texts::kNoFolder;
using batch_texts::kProgressIdle;
using batch_texts::kProgressPrefix;
constexpr char kRemoveCaption[] = "Remove X - File ";
constexpr char kFindReplaceCaption[] = "Find And Replace - File ";

// One press of "Start Removing". Every numbered step runs through the trap:
// a failing step is reported with its label and the run goes on with the
// step after it. The labels:
//   100            start
//   104, 208       an empty list: "no files" and the end
//   106, 206       no output folder: "no folder" and the end
//   108            the number of entries, read once; then every entry's
//                  path, silently, as the run's inputs (a failure to read
//                  one is reported at its own 116)
//   110-126        each entry: its path (116), progress (114), events (110),
//                  busy (112), the output path (118, 120), the copy (122:
//                  also refused when the output is another input of the
//                  run, or the run's result for one), busy (126)
//   128-158        the eight fixed operations: key test, then the operation
//   160-172        remove x: key test, dialog, removal
//   174-196        find and replace: key test, reuse, dialog, replacement
//   198            the next entry
//   200-204        busy off, progress reset, "Done." (not when the host
//                  asked to stop: asked before each entry and after the last)
// The steps without which an entry cannot go on (116, 118, 122) end that
// entry when they fail; going on would only reach other files.
//
// Into another folder, each file is written once: the copy step checks
// everything the copy would refuse, and writes nothing; the operation then
// reads the input and writes its result straight to the output file (one
// new file, one rename). A file that is only copied (no operation, a
// cancelled dialog) is copied by the kernel after the operation's steps,
// and so is one whose operation failed, as if the copy had been made
// first: a failed copy is then reported at the copy step's label.
//
// The run keeps a ledger of its inputs and of what it wrote (files/
// run_ledger.h): it never writes over another input of the run, an
// operation never creates the file it was meant to edit ("the file has
// gone"), and a copy the run made is replaced without a flush.
//
// When the host allows more than one job (BatchHost::Jobs) and gives the
// operation and the dialogs' answers beforehand, the files of the next
// entries whose outputs are new files are edited ahead on other threads
// (batch/edit_ahead.h); the entry in hand takes its result at the
// operation's step and names it there, in list order, or edits the file
// itself when the result does not fit. Everything else is as above.
//
// When the host asks for groups (BatchHost::WriteGroups), the files the run
// replaces that held content of their own wait in a group and are flushed
// and renamed together (files/replacement_group.h): when the group is full
// (checked between entries), before an entry touches a file that waits,
// before a dialog or message, and at the end of the run, also one the host
// stopped. A file of the entry in hand that cannot be published fails that
// entry at the step that wrote it; one of an earlier entry is reported at
// that step's label when the group is published, and the observer told
// that the entry failed after all (RunObserver::EntryFailedLater).
class BatchRun {
 public:
  BatchRun(BatchHost& host, DialogResults& results)
      : host_(host),
        results_(results),
        reasons_(host.Reporter()),
        trap_(reasons_, routines::kStartRemoving),
        observer_(host.Observer()),
        dry_run_(observer_ != nullptr && observer_->DryRun()) {}

  BatchSummary Run() {
    // Every write of the run is told to the journal before it happens.
    if (observer_ != nullptr && !dry_run_) ledger_.SetJournal(observer_->Journal());
    if (!dry_run_) {
      if (const std::optional<GroupSettings> groups = host_.WriteGroups()) {
        group_.emplace(*groups);
        ledger_.SetGroup(&*group_);
      }
    }
    trap_.Run(100, [] {});
    if (!Validate()) return Summary(false);

    const int count = trap_.Value(108, [&] { return host_.FileCount(); }, 0);
    const int jobs = dry_run_ ? 1 : host_.Jobs();
    if (jobs > 1 && count > 1 && host_.GivenOperation()) {
      window_ = EntriesAheadWithinOpenFiles(4 * jobs);
      if (window_ > 0) ahead_.emplace(jobs);
    }
    for (int i = 1; i <= count; ++i) {
      try {
        ledger_.AddInput(host_.FileAt(i));
      } catch (...) {
        // Reported at that entry's own turn (116), if it still fails then.
      }
    }
    for (int i = 1; i <= count && !(stopped_ = host_.StopRequested()); ++i) {
      EditAheadUpTo(std::min(count, i + window_));
      ProcessRecordedEntry(i);
      if (ahead_) ahead_->DropThrough(i);
      ++files_;
      trap_.Run(198, [] {});
    }
    // The files being edited ahead are finished and thrown away.
    ahead_.reset();
    // A request that came during the last file is answered too.
    if (!stopped_) stopped_ = host_.StopRequested();
    // The last group of writes is on disk before the journal ends.
    Publish(0);
    if (observer_ != nullptr) observer_->RunEnded();

    trap_.Run(200, [&] { host_.SetBusy(false); });
    trap_.Run(202, [&] { host_.SetProgressValue(0); });
    trap_.Run(202, [&] { host_.SetProgressText(kProgressIdle); });
    if (!stopped_) trap_.Run(204, [&] { host_.ShowMessage(kDone); });
    return Summary(true);
  }

 private:
  BatchSummary Summary(bool validated) const {
    BatchSummary summary;
    summary.validated = validated;
    summary.files = files_;
    summary.stopped = stopped_;
    summary.failures = trap_.failures();
    return summary;
  }

  // The list is tested before the folder, so an empty list wins.
  bool Validate() {
    if (trap_.Value(104, [&] { return host_.FileCount() == 0; }, false)) {
      trap_.Run(208, [&] { host_.ShowMessage(kNoFiles); });
      return false;
    }
    if (trap_.Value(106, [&] { return !IsFolder(host_.OutputFolderText()); },
                    false)) {
      trap_.Run(206, [&] { host_.ShowMessage(kNoFolder); });
      return false;
    }
    return true;
  }

  // Passes every report on and keeps the first failure's description of
  // the entry in hand, for its record.
  class ReasonKeeper : public ErrorReporter {
   public:
    explicit ReasonKeeper(ErrorReporter& next) : next_(next) {}
    void ShowReport(const std::string& text) override {
      if (first_.empty()) first_ = text.substr(0, text.find("\r\n"));
      next_.ShowReport(text);
    }
    std::string Take() { return std::exchange(first_, std::string()); }
    void Restore(std::string first) { first_ = std::move(first); }

   private:
    ErrorReporter& next_;
    std::string first_;
  };

  // One entry, and its record for the observer.
  void ProcessRecordedEntry(int i) {
    if (group_ && group_->full()) Publish(i);
    entry_number_ = i;
    entry_ = EntryRecord{};
    tally_ = EditTally{};
    in_place_ = false;
    operated_ = false;
    reasons_.Take();
    const int failures = trap_.failures();
    const int late_before = late_failures_;
    ProcessEntry(i);
    if (observer_ == nullptr) return;
    if (trap_.failures() - late_failures_ != failures - late_before) {
      // The input's size as the copy step found it; no result, no size.
      entry_.status = EntryStatus::kFailed;
      entry_.reason = reasons_.Take();
      entry_.bytes_after.reset();
    } else if (entry_.status != EntryStatus::kSkipped) {
      if (operated_) {
        entry_.changes = tally_.changes;
        entry_.per_pair = tally_.per_pair;
        entry_.bytes_before = tally_.bytes_before;
        entry_.bytes_after = tally_.bytes_after;
      }
      // The write compared the result with the input as it wrote (a dry
      // run the same way): only bytes that differ make a change.
      entry_.status = operated_ && tally_.differs ? EntryStatus::kChanged
                                                 : EntryStatus::kUnchanged;
    }
    observer_->EntryDone(entry_);
  }

  void ProcessEntry(int i) {
    const auto source = trap_.Try(116, [&] { return host_.FileAt(i); });
    if (!source) return;
    entry_.source = *source;

    trap_.Run(114, [&] {
      const int now = host_.FileCount();
      if (now <= 0) throw std::domain_error("Division by zero");
      host_.SetProgressValue(static_cast<double>(i) / now * 100.0);
    });
    trap_.Run(114, [&] {
      host_.SetProgressText(kProgressPrefix + GetFileNamePart(*source));
    });
    trap_.Run(110, [&] { host_.ProcessEvents(); });
    trap_.Run(112, [&] { host_.SetBusy(true); });

    const auto joined = trap_.Try(118, [&] { return JoinedOutput(*source); });
    if (!joined) return;
    const std::string output =
        trap_.Value(120, [&] { return FixBackslashes(*joined); }, *joined);
    entry_.output = output;
    // What this entry reads or writes is read or written as the run left
    // it, not as it was before a group that waits.
    if (group_ && (group_->Holds(*source) || group_->Holds(output))) {
      Publish(i);
    }

    // A copy that cannot be made is reported and the entry is left alone.
    // A dry run previews the copy by the same steps (the same refusals and
    // notes) and then writes nothing either.
    if (!Copy(*source, output)) return;
    trap_.Run(126, [&] { host_.SetBusy(true); });
    Dispatch(i, *source, output);
  }

  // The output folder's text and the input's name, joined as they stand.
  std::string JoinedOutput(const std::string& source) {
    return host_.OutputFolderText() + kSeparatorText + GetFileNamePart(source);
  }

  // The copy step: its check, or in a dry run its preview.
  bool Copy(const std::string& source, const std::string& output) {
    Tag(122);
    const auto outcome = trap_.Try(122, [&] {
      return dry_run_ ? PreviewCopyFile(source, output, &ledger_)
                      : CheckCopyFile(source, output, &ledger_);
    });
    if (!outcome) return false;
    entry_.bytes_before = entry_.bytes_after = outcome->source_size;
    if (!outcome->ok()) {
      return trap_.Fail(122, DescribeCopyFailure(*outcome, source, output));
    }
    in_place_ = outcome->status == CopyStatus::kSameFile;
    if (!outcome->replaced_result_of.empty()) {
      trap_.Run(122, [&] {
        const std::string note = file_texts::ResultReplaced(
            output, outcome->replaced_result_of, source);
        host_.Note(note);
        if (observer_ != nullptr) observer_->Note(note);
      });
    }
    return true;
  }

  // The entry's copy, made by the kernel: for a file only copied, or one
  // whose operation failed. A failure is reported at the copy step.
  void CopyUnchanged(const std::string& source, const std::string& output) {
    if (in_place_ || dry_run_) return;
    Tag(122);
    const auto outcome =
        trap_.Try(122, [&] { return SafeCopyFile(source, output, &ledger_); });
    if (outcome && !outcome->ok()) {
      trap_.Fail(122, DescribeCopyFailure(*outcome, source, output));
    }
  }

  // How far ahead of the entry in hand its jobs may work, wanted at most:
  // each entry ahead holds up to three files open until its turn (its
  // input while it is read, its new file and that file's folder), and all
  // of them together hold at most a quarter of the files the process may
  // open, so that the run's own files and journal always find room.
  static int EntriesAheadWithinOpenFiles(int wanted) {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0 ||
        limit.rlim_cur == RLIM_INFINITY) {
      return wanted;
    }
    return static_cast<int>(
        std::min<rlim_t>(static_cast<rlim_t>(wanted), limit.rlim_cur / 12));
  }

  // Hands the tasks of the entries up to last to the jobs working ahead:
  // those whose output name is free now (in place, or over an older file,
  // the entry is edited in its turn only).
  void EditAheadUpTo(int last) {
    if (!ahead_) return;
    for (; next_ahead_ <= last; ++next_ahead_) {
      try {
        std::optional<EditAhead::Task> task = TaskFor(next_ahead_);
        if (task) ahead_->Submit(std::move(*task));
      } catch (const std::exception&) {
        // Not edited ahead (memory): the entry is edited in its turn.
      }
    }
  }

  std::optional<EditAhead::Task> TaskFor(int entry) {
    EditAhead::Task task;
    task.entry = entry;
    task.operation = *host_.GivenOperation();
    task.count = observer_ != nullptr;
    const bool remove = task.operation == Operation::kRemoveText;
    if (remove || task.operation == Operation::kFindAndReplace) {
      const DialogResults* answers = host_.FixedAnswers();
      if (answers == nullptr || answers->find_what.empty() ||
          (!remove && answers->replace_with.empty())) {
        return std::nullopt;
      }
      task.find = answers->find_what;
      if (!remove) task.replace = answers->replace_with;
    } else if (task.operation == Operation::kCopyUnchanged) {
      return std::nullopt;  // the kernel copies it in its turn
    }
    try {
      task.source = host_.FileAt(entry);
      task.output = FixBackslashes(JoinedOutput(task.source));
    } catch (...) {
      return std::nullopt;  // the entry's own steps say why
    }
    struct stat info {};
    if (lstat(task.output.c_str(), &info) == 0 || errno != ENOENT) {
      return std::nullopt;
    }
    return task;
  }

  // The result an entry's job made ahead, named now. True when that was
  // done (or failed, reported at line, nothing more written); false when
  // there was none to name: the entry edits its file itself.
  bool NameResultMadeAhead(int line, Operation operation,
                           const EditTexts& texts, const std::string& source,
                           const std::string& output) {
    if (!ahead_ || in_place_ || dry_run_) return false;
    std::optional<EditAhead::Result> made = ahead_->Take(
        {.entry = entry_number_,
         .operation = operation,
         .find = std::u16string(texts.find),
         .replace = std::u16string(texts.replace),
         .source = source,
         .output = output,
         .count = observer_ != nullptr});
    if (!made) return false;
    bool named = false;
    const bool done = trap_.Run(line, [&] {
      named = PublishSealed(made->file, &ledger_);
    });
    if (named) tally_ = made->tally;
    return named || !done;
  }

  // The operation's step: reads source and writes the result to output (in
  // place: rewrites it). Running out of memory is said in plain words
  // naming the file. When the operation itself fails (its texts do not
  // fit, memory runs out), the copy is made as it would have been before
  // it; when reading or writing a file fails, a copy would meet the same
  // failure, and nothing more is written.
  void Operate(int line, Operation operation, const EditTexts& texts,
               const std::string& source, const std::string& output) {
    operated_ = true;
    Tag(line);
    if (NameResultMadeAhead(line, operation, texts, source, output)) return;
    const EditFiles files =
        in_place_ ? EditFiles{output, std::nullopt} : EditFiles{source, output};
    // The operations count only while someone records.
    const EditContext context{observer_ != nullptr ? &tally_ : nullptr,
                              dry_run_, &ledger_, /*seal=*/nullptr};
    bool file_failed = false;
    const bool done = trap_.Run(line, [&] {
      try {
        EditInTurn(operation, texts, files, context);
      } catch (const std::bad_alloc&) {
        throw std::runtime_error(file_texts::OutOfMemory(output));
      } catch (const FileError& error) {
        file_failed = error.error_number() != ENOMEM;
        throw;
      }
    });
    if (!done && !file_failed) CopyUnchanged(source, output);
  }

  // The entry's own edit. The files made ahead take room that one job
  // would not have taken yet: when the disk or the quota is full, they are
  // thrown away and the entry is edited again, so that it fails only where
  // one job fails. (The jobs then start again from the next entry.)
  void EditInTurn(Operation operation, const EditTexts& texts,
                  const EditFiles& files, const EditContext& context) {
    try {
      EditFile(operation, texts, files, context);
    } catch (const FileError& error) {
      const int error_number = error.error_number();
      if (!ahead_ || (error_number != ENOSPC && error_number != EDQUOT)) {
        throw;
      }
      const int jobs = ahead_->workers();
      ahead_.reset();
      ahead_.emplace(jobs);
      next_ahead_ = entry_number_ + 1;
      tally_ = EditTally{};
      EditFile(operation, texts, files, context);
    }
  }

  // The chosen operation's key: given by the host, or found by the key
  // tests on the chooser's text; nullptr for none.
  const OperationKey* FindKey() {
    if (const std::optional<Operation> given = host_.GivenOperation()) {
      return KeyOf(*given);
    }
    // The chooser's text is read at the first key test, once, even when
    // reading it fails.
    bool read = false;
    std::string chooser;
    for (const OperationKey& key : OperationKeys()) {
      const bool found = trap_.Value(key.test_line, [&] {
        if (!std::exchange(read, true)) {
          chooser = LowerCase(host_.ChooserText());
        }
        return chooser.find(key.key) != std::string::npos;
      }, false);
      if (found) return &key;
    }
    return nullptr;
  }

  void Dispatch(int i, const std::string& source, const std::string& output) {
    const OperationKey* key = FindKey();
    if (key == nullptr) {
      // A separator line or nothing chosen: the file is only copied.
      CopyUnchanged(source, output);
      return;
    }
    switch (key->kind) {
      case OperationKind::kFixed:
        Operate(key->action_line, key->operation, {}, source, output);
        break;
      case OperationKind::kRemoveText:
        RemoveText(i, source, output);
        break;
      case OperationKind::kFindAndReplace:
        FindAndReplace(i, source, output);
        break;
    }
  }

  void RemoveText(int i, const std::string& source, const std::string& output) {
    trap_.Run(162, [&] { results_.find_what.clear(); });
    const std::string caption = trap_.Value(164, [&] {
      return kRemoveCaption + std::to_string(i) + ". ";
    }, std::string());
    if (!Publish(i)) return;
    trap_.Run(166, [&] { host_.ShowRemoveDialog(caption, results_); });
    if (trap_.Value(168, [&] { return results_.find_what.empty(); }, false)) {
      Skipped();
      CopyUnchanged(source, output);
      return;
    }
    const std::u16string find =
        trap_.Value(170, [&] { return results_.find_what; }, u"");
    Operate(172, Operation::kRemoveText, {find, u""}, source, output);
  }

  void FindAndReplace(int i, const std::string& source,
                      const std::string& output) {
    // Read afresh for every file: ticking the box in one file's dialog
    // makes the later files reuse that answer. When the setting cannot be
    // read, the user is asked.
    const std::int32_t reuse = trap_.Value(176, [&] {
      return ToInt32(host_.Settings().GetSetting(settings::kForm3Check1, "0"));
    }, 0);
    const bool reuse_answer = trap_.Value(178, [&] {
      return reuse != 0 && !first_showing_;
    }, false);
    if (!reuse_answer) {
      trap_.Run(180, [&] { first_showing_ = false; });
      trap_.Run(182, [&] { results_.find_what.clear(); });
      trap_.Run(184, [&] { results_.replace_with.clear(); });
      const std::string caption = trap_.Value(186, [&] {
        return kFindReplaceCaption + std::to_string(i) + ". ";
      }, std::string());
      if (!Publish(i)) return;
      trap_.Run(188, [&] { host_.ShowFindReplaceDialog(caption, results_); });
    }
    if (trap_.Value(190, [&] {
          return results_.find_what.empty() || results_.replace_with.empty();
        }, false)) {
      Skipped();
      CopyUnchanged(source, output);
      return;
    }
    const std::u16string find =
        trap_.Value(192, [&] { return results_.find_what; }, u"");
    const std::u16string replace =
        trap_.Value(194, [&] { return results_.replace_with; }, u"");
    Operate(196, Operation::kFindAndReplace, {find, replace}, source, output);
  }

  // The files prepared from now on belong to the entry in hand's step line.
  void Tag(int line) {
    if (group_) group_->SetTag(entry_number_ * kTagEntry + line);
  }

  // Publishes the group. A file of entry i (the entry in hand) that cannot
  // be published fails at its step, as it would have without the group:
  // false then. One of an earlier entry, whose record is out already, is
  // reported at its step's line without touching the entry in hand.
  bool Publish(int i) {
    if (!group_ || group_->empty()) return true;
    bool own_failed = false;
    for (ReplacementGroup::Failure& failure : group_->Publish(&ledger_)) {
      const int entry = failure.tag / kTagEntry;
      const int line = failure.tag % kTagEntry;
      const auto report = [&] { throw failure.error; };
      if (entry == i && i > 0) {
        own_failed = true;
        trap_.Run(line, report);
        continue;
      }
      const std::string kept = reasons_.Take();
      trap_.Run(line, report);
      ++late_failures_;
      const std::string reason = reasons_.Take();
      reasons_.Restore(kept);
      if (observer_ != nullptr && entry > 0) {
        observer_->EntryFailedLater(entry, reason);
      }
    }
    return !own_failed;
  }

  void Skipped() {
    entry_.status = EntryStatus::kSkipped;
    entry_.reason = "no text was given (the dialog was cancelled)";
  }

  BatchHost& host_;
  DialogResults& results_;
  ReasonKeeper reasons_;
  Trap trap_;
  RunObserver* observer_;
  bool dry_run_;
  EntryRecord entry_;   // the entry in hand
  EditTally tally_;     // what its operation counted
  bool in_place_ = false;  // its output is its input
  bool operated_ = false;
  static constexpr int kTagEntry = 1000;  // above every step line
  RunLedger ledger_;  // open on this thread for as long as the run lasts
  // The jobs editing the next entries' files ahead, when the host allows.
  std::optional<EditAhead> ahead_;
  int window_ = 0;      // how far ahead of the entry in hand
  int next_ahead_ = 1;  // the next entry to hand to them
  // The replacements waiting to be flushed together, when the host asks.
  std::optional<ReplacementGroup> group_;
  int entry_number_ = 0;   // the entry in hand
  int late_failures_ = 0;  // reported for entries already recorded
  int files_ = 0;
  bool stopped_ = false;  // the host asked to stop
  bool first_showing_ = true;
};

}  // namespace

BatchSummary StartRemoving(BatchHost& host, DialogResults& results) {
  RunGuard guard;
  if (!guard.owns_run()) {
    BatchSummary ignored;
    ignored.already_running = true;
    return ignored;
  }
  return BatchRun(host, results).Run();
}

}  // namespace tarnwick
