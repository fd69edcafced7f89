// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "journal/journaled_run.h"

#include <optional>

namespace tarnwick {
namespace {

// The host as it is (every call passed on), with the recorder as its
// observer.
class ObservedHost : public BatchHost {
 public:
  ObservedHost(BatchHost& host, RunObserver& observer)
      : host_(host), observer_(observer) {}
  int FileCount() override { return host_.FileCount(); }
  std::string FileAt(int position) override { return host_.FileAt(position); }
  std::string OutputFolderText() override { return host_.OutputFolderText(); }
  std::string ChooserText() override { return host_.ChooserText(); }
  std::optional<Operation> GivenOperation() override {
    return host_.GivenOperation();
  }
  const DialogResults* FixedAnswers() override { return host_.FixedAnswers(); }
  int Jobs() override { return host_.Jobs(); }
  void SetProgressValue(double value) override { host_.SetProgressValue(value); }
  void SetProgressText(const std::string& text) override {
    host_.SetProgressText(text);
  }
  void ProcessEvents() override { host_.ProcessEvents(); }
  bool StopRequested() override { return host_.StopRequested(); }
  void SetBusy(bool busy) override { host_.SetBusy(busy); }
  void ShowRemoveDialog(const std::string& caption,
                        DialogResults& results) override {
    host_.ShowRemoveDialog(caption, results);
  }
  void ShowFindReplaceDialog(const std::string& caption,
                             DialogResults& results) override {
    host_.ShowFindReplaceDialog(caption, results);
  }
  void ShowMessage(const std::string& text) override { host_.ShowMessage(text); }
  void Note(const std::string& text) override { host_.Note(text); }
  ErrorReporter& Reporter() override { return host_.Reporter(); }
  SettingsStore& Settings() override { return host_.Settings(); }
  RunObserver* Observer() override { return &observer_; }
  std::optional<GroupSettings> WriteGroups() override {
    return host_.WriteGroups();
  }

 private:
  BatchHost& host_;
  RunObserver& observer_;
};

}  // namespace

JournaledRunResult RunJournaled(BatchHost& host, DialogResults& results,
                                RunRecorder& recorder,
                                const JournaledRunOptions& options) {
  std::optional<RunJournal> journal;
  // Without a folder there is no journal, unless undo is required: then the
  // journal that cannot open refuses every write.
  if (!recorder.DryRun() &&
      (!options.journal_folder.empty() || options.settings.require_undo)) {
    journal.emplace(options.journal_folder, options.settings, options.operation,
                    options.output_folder);
  }
  recorder.SetJournal(journal ? &*journal : nullptr);
  ObservedHost observed(host, recorder);
  JournaledRunResult result;
  result.summary = StartRemoving(observed, results);
  recorder.SetJournal(nullptr);
  // A run that never started wrote nothing; one interrupted is journaled
  // as far as it got.
  if (journal && !result.summary.already_running) {
    result.journaled = true;
    result.journal = journal->Finish();
  }
  return result;
}

}  // namespace tarnwick
