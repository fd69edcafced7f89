// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/cli_host.h"

#include <cstdio>
#include <stdexcept>

#include "batch/batch_texts.h"
#include "cli/console_reporter.h"
#include "cli/interruption.h"
#include "cli/line_text.h"
#include "cli/options.h"
#include "cli/output_status.h"
#include "cli/progress_line.h"
#include "core/operation_keys.h"

namespace tarnwick::cli {
namespace {

void WriteLine(std::FILE* stream, const std::string& text) {
  WriteOutput(stream, text + "\n");
}

}  // namespace

RunSettings::RunSettings() {
  values_.emplace(std::string(settings::kForm3Check1), std::string("1"));
}

std::string RunSettings::GetSetting(std::string_view key,
                                    std::string_view default_value) {
  const auto found = values_.find(key);
  return found == values_.end() ? std::string(default_value) : found->second;
}

void RunSettings::SaveSetting(std::string_view key, std::string_view value) {
  values_.insert_or_assign(std::string(key), std::string(value));
}

CliHost::CliHost(const std::vector<std::string>& files,
                 std::string output_folder, int operation,
                 DialogResults answers, ConsoleReporter& reporter,
                 ProgressLine& progress)
    : files_(files),
      output_folder_(std::move(output_folder)),
      operation_(operation),
      answers_(std::move(answers)),
      reporter_(reporter),
      progress_(progress) {}

int CliHost::FileCount() { return static_cast<int>(files_.size()); }

std::string CliHost::FileAt(int position) {
  if (position < 1 || position > FileCount()) {
    throw std::out_of_range("Index out of bounds");
  }
  position_ = position;
  return files_[static_cast<std::size_t>(position - 1)];
}

std::string CliHost::OutputFolderText() { return output_folder_; }

std::string CliHost::ChooserText() {
  if (operation_ < 0 || operation_ >= static_cast<int>(texts::kChooserEntries.size())) {
    return "";
  }
  return std::string(texts::kChooserEntries[static_cast<std::size_t>(operation_)]);
}

std::optional<Operation> CliHost::GivenOperation() {
  return OperationAt(operation_);
}

void CliHost::SetProgressValue(double value) { share_ = value; }

void CliHost::SetProgressText(const std::string& text) {
  if (text == batch_texts::kProgressIdle) {
    progress_.Clear();
    return;
  }
  progress_.Show(position_, FileCount(), share_, text);
}

bool CliHost::StopRequested() { return InterruptionSignal() != 0; }

void CliHost::ShowRemoveDialog(const std::string&, DialogResults& results) {
  results.find_what = answers_.find_what;
}

void CliHost::ShowFindReplaceDialog(const std::string&,
                                    DialogResults& results) {
  results.find_what = answers_.find_what;
  results.replace_with = answers_.replace_with;
}

void CliHost::ShowMessage(const std::string& text) {
  progress_.Clear();
  if (text == batch_texts::kDone) {
    WriteLine(stdout, text);
  } else {
    std::fflush(stdout);
    WriteLine(stderr, text);
  }
}

void CliHost::Note(const std::string& text) {
  progress_.Clear();
  std::fflush(stdout);
  WriteLine(stderr,
            std::string(kProgramName) + ": note: " + EscapeForLine(text));
}

ErrorReporter& CliHost::Reporter() { return reporter_; }

}  // namespace tarnwick::cli
