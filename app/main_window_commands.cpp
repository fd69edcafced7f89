// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// MainWindow's buttons: "Add File(s)", "...", "Help", "Clear List" and
// "Start Removing".
#include <QLineEdit>

#include "app/main_window.h"
#include "app/main_window_texts.h"
#include "batch/batch_run.h"
#include "core/error_report.h"
#include "core/product.h"
#include "core/routine_identities.h"
#include "core/settings_store.h"
#include "filelist/add_files.h"
#include "filelist/file_list_model.h"
#include "journal/journaled_run.h"
#include "files/platform.h"

namespace tarnwick {

void MainWindow::addFiles() {
  Trap trap(services_.reporter, routines::kAddFiles);
  std::vector<std::string> answer;
  trap.Run(100, [&] {
    const OpenFileRequest request{texts::kAddFilesTitle, texts::kAllFilesFilter};
    answer = services_.open_file_dialog.GetOpenFileNames(this, request);
  });
  AddFilesPlan plan;
  trap.Run(102, [&] { plan = PlanAddFiles(answer); });
  if (plan.outcome == AddFilesOutcome::kTooMany) {
    trap.Run(104, [&] { ShowMessage(texts::kTooManyFiles); });
    return;
  }
  trap.Run(106, [&] { model_->appendAll(plan.entries); });
}

void MainWindow::browseOutput() {
  Trap trap(services_.reporter, routines::kBrowseOutput);
  std::string folder;
  trap.Run(100, [&] {
    const std::string start =
        services_.settings.GetSetting(settings::kLastFolderDot, "");
    folder = services_.folder_picker.BrowseForFolder(
        this, texts::kSelectFolderPrompt, start);
  });
  bool cancelled = false;
  trap.Run(102, [&] { cancelled = folder.empty(); });
  if (cancelled) return;
  bool ends_in_separator = false;
  trap.Run(104, [&] {
    services_.settings.SaveSetting(settings::kLastFolderDot, folder);
    ends_in_separator = folder.back() == kSeparator;
  });
  if (ends_in_separator) {
    trap.Run(108, [&] {
      controls_.output_folder->setText(QString::fromStdString(folder));
    });
  } else {
    trap.Run(106, [&] {
      controls_.output_folder->setText(
          QString::fromStdString(folder + kSeparatorText));
    });
  }
}

void MainWindow::showHelp() {
  Trap trap(services_.reporter, routines::kHelp);
  trap.Run(100, [&] {
    ShowMessage(std::string(texts::kHelpMessageStart) + "\r\r" +
                texts::kHelpMessageGoTo + product::kAddTextPage +
                texts::kHelpMessageEnd);
  });
}

void MainWindow::clearList() {
  Trap trap(services_.reporter, routines::kClearList);
  trap.Run(100, [&] {
    if (!isBusy()) model_->clear();
  });
}

// The run as specified, journaled and recorded for the file list's menu.
// Without a journal folder (no HOME) the run goes without a journal.
void MainWindow::startRemoving() {
  RunRecorder recorder(/*dry_run=*/false);
  const JournaledRunResult run =
      RunJournaled(*this, results_, recorder,
                   {run_history_.journal_folder(), DefaultJournalSettings(),
                    ChooserText(), OutputFolderText()});
  if (run.summary.validated && !run.summary.already_running) {
    run_history_.Finished(recorder.records(),
                          run.journaled ? std::optional(run.journal) : std::nullopt);
  }
}

}  // namespace tarnwick
