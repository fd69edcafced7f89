// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// A batch host driven by a script: the list, the output folder and the
// chooser are plain members the test (or a callback during the run) may
// change; the dialogs answer from queues; everything the run shows is
// recorded, in order, in log.
#ifndef TARNWICK_TESTS_BATCH_RUN_SCRIPTED_HOST_H_
#define TARNWICK_TESTS_BATCH_RUN_SCRIPTED_HOST_H_

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "batch/batch_host.h"
#include "tests/support/memory_settings.h"
#include "tests/support/recording_reporter.h"

namespace tarnwick::testing {

class ScriptedHost;

// One scripted answer of a dialog. An answer with cancel set empties both
// results, as "Cancel" does; one with closed set (and an empty queue) writes
// nothing at all, so whatever the results held before stays.
struct DialogAnswer {
  std::u16string find_what;
  std::u16string replace_with;
  bool cancel = false;
  bool closed = false;
  // Runs while the dialog is open (ticking the reuse box, pressing
  // "Start Removing" again, ...).
  std::function<void(ScriptedHost&)> while_open;
};

class ScriptedHost : public BatchHost {
 public:
  // Reports go to the log too, as "report <line>".
  ScriptedHost();

  int FileCount() override;
  std::string FileAt(int position) override;
  std::string OutputFolderText() override;
  std::string ChooserText() override;
  void SetProgressValue(double value) override;
  void SetProgressText(const std::string& text) override;
  void ProcessEvents() override;
  bool StopRequested() override { return stop && stop(*this); }
  void SetBusy(bool busy) override;
  void ShowRemoveDialog(const std::string& caption,
                        DialogResults& results) override;
  void ShowFindReplaceDialog(const std::string& caption,
                             DialogResults& results) override;
  void ShowMessage(const std::string& text) override;
  std::optional<Operation> GivenOperation() override { return given; }
  int Jobs() override { return jobs; }
  std::optional<GroupSettings> WriteGroups() override { return groups; }
  ErrorReporter& Reporter() override { return reporter; }
  SettingsStore& Settings() override { return settings; }

  // The script.
  std::vector<std::string> files;
  std::string output_folder;
  std::string chooser;
  std::optional<Operation> given;  // the operation, without a chooser
  int jobs = 1;
  std::optional<GroupSettings> groups;  // none: each replacement on its own
  std::deque<DialogAnswer> remove_answers;
  std::deque<DialogAnswer> replace_answers;
  // Called at every turn of the event loop with the turn's number (1-based).
  std::function<void(ScriptedHost&, int turn)> on_events;
  // Asked between two entries; nobody asks to stop when empty.
  std::function<bool(const ScriptedHost&)> stop;

  // What the run did.
  std::vector<std::string> log;  // "progress 50", "text ...", "events", ...
  std::vector<double> progress_values;
  std::vector<std::string> progress_texts;
  std::vector<std::string> messages;
  std::vector<std::string> captions;  // of both dialogs, in order
  std::vector<bool> busy;
  RecordingReporter reporter;
  MemorySettings settings;

 private:
  void Answer(std::deque<DialogAnswer>& answers, DialogResults& results,
              bool fills_replacement);
  int turns_ = 0;
};

}  // namespace tarnwick::testing

#endif  // TARNWICK_TESTS_BATCH_RUN_SCRIPTED_HOST_H_
