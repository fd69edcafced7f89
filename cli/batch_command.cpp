// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/batch_command.h"

#include <sched.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "cli/argument_text.h"
#include "cli/cli_host.h"
#include "cli/console_reporter.h"
#include "cli/interruption.h"
#include "cli/line_text.h"
#include "cli/output_status.h"
#include "cli/progress_line.h"
#include "cli/report_file.h"
#include "cli/run_outputs.h"
#include "dialogs/dialog_logic.h"
#include "dialogs/dialog_texts.h"
#include "filelist/folder_scan.h"
#include "filelist/vector_file_list.h"
#include "files/path_helpers.h"
#include "files/platform.h"
#include "journal/journaled_run.h"

namespace tarnwick::cli {
void PrintError(const std::string& text) {
  std::fflush(stdout);
  std::fprintf(stderr, "%s: %s\n", kProgramName, text.c_str());
}

namespace {

class CliScanHost : public ScanHost {
 public:
  CliScanHost(FileList& list, ErrorReporter& reporter)
      : list_(list), reporter_(reporter) {}
  FileList& List() override { return list_; }
  void Yield() override {
    // Nothing is written while the list is built (the journal and the
    // report come after it): stop at once.
    if (const int signal_number = InterruptionSignal()) {
      std::fprintf(stderr, "%s: interrupted before any file\n", kProgramName);
      std::exit(ExitStatusAfterOutput(kExitInterruptedBase + signal_number));
    }
  }
  ErrorReporter& Reporter() override { return reporter_; }

 private:
  FileList& list_;
  ErrorReporter& reporter_;
};

// The folder as the scan takes it: no trailing separator, except for the
// root itself.
std::string ScanFolder(std::string folder) {
  while (folder.size() > 1 && folder.back() == kSeparator) folder.pop_back();
  return folder;
}

// The dialogs' answers, or false after the line-count message.
bool PrepareAnswers(const Options& options, DialogResults& answers) {
  if (options.find_what) answers.find_what = DialogText(*options.find_what);
  if (options.operation != kFindAndReplacePosition) return true;
  answers.replace_with = DialogText(*options.replace_with);
  const std::size_t find_lines = CountLines(answers.find_what);
  const std::size_t replace_lines = CountLines(answers.replace_with);
  if (find_lines == replace_lines) return true;
  std::fflush(stdout);
  std::fprintf(stderr,
               "%s\n(--find-what has %zu line(s), --replace-with has %zu.%s)\n",
               dialog_texts::kLineCountsDiffer, find_lines, replace_lines,
               replace_lines == 0
                   ? " To remove text, use --operation remove-x."
                   : "");
  return false;
}

// A real run is journaled, so that it can be undone; without a folder for
// the journal the run goes on, and says it cannot be undone, unless undo is
// required: then a journal without a folder refuses every write.
JournaledRunOptions JournalOptions(const Options& options) {
  JournaledRunOptions journal;
  if (options.dry_run) return journal;  // writes nothing, not even there
  journal.journal_folder = JournalFolder();
  journal.settings = DefaultJournalSettings();
  journal.settings.require_undo = options.require_undo;
  if (journal.journal_folder.empty() && !options.require_undo) {
    PrintError(
        "note: the journal is off (neither XDG_STATE_HOME nor HOME names a "
        "folder to keep it in): this run cannot be undone");
    return journal;
  }
  journal.operation = std::string(OperationName(options.operation));
  journal.output_folder = options.output_folder;
  return journal;
}

// The processor cores this process may run on.
int ProcessorCount() {
  cpu_set_t set;
  if (sched_getaffinity(0, sizeof set, &set) == 0) {
    return std::max(1, CPU_COUNT(&set));
  }
  return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

// How the replacements of files that held content of their own are made
// durable: $TARNWICK_GROUP_FLUSH "each" flushes every file of a group in a
// row, "off" each file on its own before its rename (as the window does);
// anything else, one syncfs of the file system per group.
std::optional<GroupSettings> GroupFlushFromEnvironment() {
  const char* value = std::getenv("TARNWICK_GROUP_FLUSH");
  const std::string text = value != nullptr ? value : "";
  GroupSettings settings;
  if (text == "each") settings.flush = GroupFlush::kEachFile;
  if (text == "off") return std::nullopt;
  return settings;
}

}  // namespace

void PrintUsageError(const std::string& error) {
  PrintError(error);
  std::fprintf(stderr, "Try '%s --help' for more information.\n",
               kProgramName);
}

int RunBatchCommand(const Options& options) {
  DialogResults answers;
  if (!PrepareAnswers(options, answers)) return kExitUsage;

  // Every folder to scan must be there: a mistyped name would otherwise
  // add nothing without a word.
  for (const InputSource& input : options.inputs) {
    if (input.kind == InputSource::Kind::kFolder && !IsFolder(input.path)) {
      PrintError("--add-folder: folder does not exist: " +
                 EscapeForLine(input.path));
      return kExitUsage;
    }
  }

  // Looked at before the scan, which leaves an earlier report out.
  std::optional<ReportFile> report;
  if (options.report) report.emplace(*options.report);

  CatchInterruptions();
  ProgressLine progress(ProgressLine::TerminalStream());
  ConsoleReporter reporter(progress);
  VectorFileList list;
  const std::vector<std::string>& files = list.entries;
  CliScanHost scan_host(list, reporter);
  for (const InputSource& input : options.inputs) {
    if (input.kind == InputSource::Kind::kFile) {
      list.Append(input.path);
      continue;
    }
    const std::size_t before = files.size();
    const std::string pattern = "*." + input.extension;
    AddFolderFilesToList(ScanFolder(input.path), pattern, scan_host);
    if (report) {
      const auto scanned = list.entries.begin() +
                           static_cast<std::ptrdiff_t>(before);
      list.entries.erase(
          std::remove_if(scanned, list.entries.end(),
                         [&](const std::string& entry) {
                           return report->Is(entry);
                         }),
          list.entries.end());
    }
    if (files.size() == before) {
      PrintError("note: no file matching " + EscapeForLine(pattern) + " in " +
                 EscapeForLine(input.path));
    }
  }

  // The report never goes over a file of the run.
  if (report) {
    const std::string conflict = report->Conflict(files, options.output_folder);
    if (!conflict.empty()) {
      PrintError("--report: " + EscapeForLine(conflict) +
                 "; nothing was done");
      return kExitUsage;
    }
  }

  CliHost host(files, options.output_folder, options.operation,
               std::move(answers), reporter, progress);
  host.SetWriteGroups(GroupFlushFromEnvironment());
  host.SetJobs(options.jobs.value_or(ProcessorCount()));
  const JournaledRunOptions journal = JournalOptions(options);
  CliRecorder recorder(options.dry_run, nullptr, progress);
  DialogResults results;
  const JournaledRunResult run = RunJournaled(host, results, recorder, journal);
  const BatchSummary& summary = run.summary;
  progress.Clear();
  // An interrupted run is journaled and reported as far as it got.
  if (run.journaled && run.journal.not_undoable > 0) {
    PrintError("note: " + std::to_string(run.journal.not_undoable) +
               " file(s) of this run cannot be undone: the journal could not "
               "keep what undo needs for them");
  }
  const bool reported =
      !summary.validated || !report || report->Write(recorder.records());
  if (summary.stopped) {
    std::fflush(stdout);
    std::fprintf(stderr,
                 "%s: interrupted: %d of %zu files done, the rest left alone\n",
                 kProgramName, summary.files, files.size());
    return kExitInterruptedBase + InterruptionSignal();
  }
  if (!summary.validated) return kExitUsage;
  return summary.failures > 0 || reporter.count() > 0 || !reported
             ? kExitFailures
             : kExitSuccess;
}

}  // namespace tarnwick::cli
