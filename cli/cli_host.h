// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// The batch run's surroundings on the command line: the list and the
// output folder from the arguments, the chosen chooser entry, the dialogs
// answered from --find-what and --replace-with, messages and reports on the
// standard streams, progress on a terminal, and settings kept in memory.
#ifndef TARNWICK_CLI_CLI_HOST_H_
#define TARNWICK_CLI_CLI_HOST_H_

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "batch/batch_host.h"
#include "core/settings_store.h"

namespace tarnwick::cli {

class ConsoleReporter;
class ProgressLine;

// Settings for one run, in memory only: the window program's stored
// settings are never read or written. "Form3Check1" is "1", so the one
// find-and-replace pair serves every file.
class RunSettings : public SettingsStore {
 public:
  RunSettings();
  std::string GetSetting(std::string_view key,
                         std::string_view default_value) override;
  void SaveSetting(std::string_view key, std::string_view value) override;

 private:
  std::map<std::string, std::string, std::less<>> values_;
};

class CliHost : public BatchHost {
 public:
  // files: the list, in order; operation: the chooser position; answers:
  // what both dialogs answer, already in dialog form.
  CliHost(const std::vector<std::string>& files, std::string output_folder,
          int operation, DialogResults answers, ConsoleReporter& reporter,
          ProgressLine& progress);

  int FileCount() override;
  std::string FileAt(int position) override;
  std::string OutputFolderText() override;
  std::string ChooserText() override;
  std::optional<Operation> GivenOperation() override;
  // The dialogs are answered from the arguments: the same answers for
  // every file, known before the run.
  const DialogResults* FixedAnswers() override { return &answers_; }
  int Jobs() override { return jobs_; }
  void SetJobs(int jobs) { jobs_ = jobs; }

  void SetProgressValue(double value) override;
  void SetProgressText(const std::string& text) override;
  void ProcessEvents() override {}
  // True once an interruption was asked for (see cli/interruption.h).
  bool StopRequested() override;
  void SetBusy(bool) override {}

  void ShowRemoveDialog(const std::string& caption,
                        DialogResults& results) override;
  void ShowFindReplaceDialog(const std::string& caption,
                             DialogResults& results) override;

  // "Done." goes to standard output, every other message (the run's
  // validation messages) to standard error.
  void ShowMessage(const std::string& text) override;
  // "tarnwick-batch: note: " and the text, on standard error.
  void Note(const std::string& text) override;
  ErrorReporter& Reporter() override;
  SettingsStore& Settings() override { return settings_; }
  // Replacements of files that held content of their own are flushed in
  // groups (by default one syncfs of the file system per group).
  std::optional<GroupSettings> WriteGroups() override { return groups_; }
  void SetWriteGroups(std::optional<GroupSettings> groups) { groups_ = groups; }

 private:
  const std::vector<std::string>& files_;
  std::string output_folder_;
  int operation_;
  DialogResults answers_;
  ConsoleReporter& reporter_;
  ProgressLine& progress_;
  RunSettings settings_;
  int position_ = 0;        // the entry whose turn it is
  double share_ = 0;        // the last progress value
  std::optional<GroupSettings> groups_ = GroupSettings{};
  int jobs_ = 1;
};

}  // namespace tarnwick::cli

#endif  // TARNWICK_CLI_CLI_HOST_H_
