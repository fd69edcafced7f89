// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// What the batch run needs from its surroundings. The main window implements
// it in the program; tests use a scripted host.
#ifndef TARNWICK_BATCH_BATCH_HOST_H_
#define TARNWICK_BATCH_BATCH_HOST_H_

#include <optional>
#include <string>

#include "core/dialog_results.h"
#include "engine/edit_context.h"
#include "files/replacement_group.h"

namespace tarnwick {

class ErrorReporter;
class RunObserver;
class SettingsStore;

class BatchHost {
 public:
  virtual ~BatchHost() = default;

  // The file list: the current number of entries, and an entry's text by
  // 1-based position.
  virtual int FileCount() = 0;
  virtual std::string FileAt(int position) = 0;
  // The output folder box's text and the chooser's selected text.
  virtual std::string OutputFolderText() = 0;
  virtual std::string ChooserText() = 0;
  // The operation, when the host knows it without a chooser (the command
  // line): the run then reads no chooser text and makes no key tests.
  // Operation::kCopyUnchanged only copies the files. By default none: the
  // run finds the operation in the chooser's text.
  virtual std::optional<Operation> GivenOperation() { return std::nullopt; }

  virtual void SetProgressValue(double value) = 0;  // 0 to 100, unrounded
  virtual void SetProgressText(const std::string& text) = 0;
  // Lets the event loop run once.
  virtual void ProcessEvents() = 0;
  // Asked between two entries, once the file in hand is finished and
  // before the next one is touched: true ends the run there, leaving the
  // remaining entries alone and showing no "Done.". Must not throw. The
  // window never asks to stop.
  virtual bool StopRequested() { return false; }
  // The busy pointer (hourglass) on or off.
  virtual void SetBusy(bool busy) = 0;

  // Show the remove-what or find-and-replace dialog modally with the given
  // caption; the dialog writes its answer into results.
  virtual void ShowRemoveDialog(const std::string& caption,
                                DialogResults& results) = 0;
  virtual void ShowFindReplaceDialog(const std::string& caption,
                                     DialogResults& results) = 0;

  // A plain message box: OK only, no icon, the application title.
  virtual void ShowMessage(const std::string& text) = 0;

  // Something the user should know that is no failure, such as an output
  // file that now holds a later entry's result instead of an earlier one's.
  // By default nothing is shown.
  virtual void Note(const std::string& text) { (void)text; }

  virtual ErrorReporter& Reporter() = 0;
  virtual SettingsStore& Settings() = 0;
  // How the run makes its replacements of files that hold content of their
  // own durable: in groups, flushed together (files/replacement_group.h),
  // or, by default, each on its own before its rename, one file at a time.
  virtual std::optional<GroupSettings> WriteGroups() { return std::nullopt; }
  // How many entries' files the run may edit at once, ahead of the entry in
  // hand, on threads of its own (batch/edit_ahead.h); 1, the default: one
  // at a time. A run works ahead only when its host gives the operation
  // (GivenOperation) and, for the operations that ask, the dialogs'
  // answers beforehand (FixedAnswers), and never in a dry run.
  virtual int Jobs() { return 1; }
  // What every remove-what and find-and-replace dialog of the run answers,
  // when the host knows it beforehand; nullptr (the default) when not.
  virtual const DialogResults* FixedAnswers() { return nullptr; }
  // Who records what the run does (batch/run_record.h); nobody by default.
  virtual RunObserver* Observer() { return nullptr; }
};

}  // namespace tarnwick

#endif  // TARNWICK_BATCH_BATCH_HOST_H_
