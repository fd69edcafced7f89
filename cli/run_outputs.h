// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// What tarnwick-batch adds around a run: the lines of a dry run, the
// report file, the journal that makes the run undoable, and the --undo and
// --list-runs commands.
#ifndef TARNWICK_CLI_RUN_OUTPUTS_H_
#define TARNWICK_CLI_RUN_OUTPUTS_H_

#include <string>
#include <vector>

#include "batch/run_record.h"

namespace tarnwick::cli {

class ProgressLine;

// Records the run; in a dry run prints each entry's line on standard
// output as it is done: source TAB status TAB changes TAB reason, the
// fields escaped (cli/line_text.h). Notes a
// file whose old content the journal could not keep on standard error.
class CliRecorder : public RunRecorder {
 public:
  CliRecorder(bool dry_run, RunObserver* journal, ProgressLine& progress)
      : RunRecorder(dry_run, journal), progress_(progress) {}
  void EntryDone(const EntryRecord& record) override;
  // Printed at once: the file the journal could not keep, and why.
  void JournalNote(const std::string& target, const std::string& text) override;

 private:
  ProgressLine& progress_;
};

// The journal's folder (journal/run_journal.h), or an empty text when
// there is no home to keep it in: neither XDG_STATE_HOME nor HOME names a
// folder, and the journal would otherwise land at the root of the system.
std::string JournalFolder();

// --undo [RUN] and --list-runs; each returns the exit status. Their lines
// are TAB-separated, names escaped as the dry run's are.
int RunUndoCommand(const std::string& run);
int RunListRunsCommand();

}  // namespace tarnwick::cli

#endif  // TARNWICK_CLI_RUN_OUTPUTS_H_
