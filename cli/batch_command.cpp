#include "cli/batch_command.h"

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "batch/batch_run.h"
#include "cli/argument_text.h"
#include "cli/cli_host.h"
#include "cli/console_reporter.h"
#include "cli/interruption.h"
#include "cli/output_status.h"
#include "cli/progress_line.h"
#include "cli/run_outputs.h"
#include "dialogs/dialog_logic.h"
#include "dialogs/dialog_texts.h"
#include "filelist/folder_scan.h"
#include "filelist/vector_file_list.h"
#include "files/path_helpers.h"
#include "files/platform.h"
#include "journal/run_journal.h"

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
    // Nothing is written while the list is built: stop at once.
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

// The journal of the run under way: an interruption ends the program
// between two files; the journal is then as far as the run got (every
// write was recorded before it took place), and is let go here.
RunJournal* journal_in_hand = nullptr;

void FinishJournalAtExit() {
  if (journal_in_hand != nullptr) journal_in_hand->Finish();
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
      PrintError("--add-folder: folder does not exist: " + input.path);
      return kExitUsage;
    }
  }

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
    if (files.size() == before) {
      PrintError("note: no file matching " + pattern + " in " + input.path);
    }
  }

  CliHost host(files, options.output_folder, options.operation,
               std::move(answers), reporter, progress);
  // A real run is journaled, so that it can be undone; a dry run writes
  // nothing, not even there. Without a journal folder (no HOME) the run
  // goes without one.
  std::optional<RunJournal> journal;
  const std::string journal_folder = DefaultJournalFolder();
  if (!options.dry_run && !journal_folder.empty()) {
    JournalSettings settings = DefaultJournalSettings();
    settings.require_undo = options.require_undo;
    journal.emplace(journal_folder, std::move(settings),
                    std::string(OperationName(options.operation)),
                    options.output_folder);
  }
  CliRecorder recorder(options.dry_run, journal ? &*journal : nullptr,
                       progress);
  host.SetObserver(&recorder);
  if (journal) {
    journal_in_hand = &*journal;
    std::atexit(FinishJournalAtExit);
  }
  DialogResults results;
  const BatchSummary summary = StartRemoving(host, results);
  progress.Clear();
  journal_in_hand = nullptr;
  if (journal) {
    const JournalSummary kept = journal->Finish();
    if (kept.not_undoable > 0) {
      PrintError("note: " + std::to_string(kept.not_undoable) +
                 " file(s) of this run cannot be undone: their old content "
                 "was not kept");
    }
  }
  // An interrupted run still writes its report of the files it did.
  const bool reported = !summary.validated || !options.report ||
                        WriteReport(*options.report, recorder.records());
  host.ExitIfInterrupted(summary.files);
  if (!summary.validated) return kExitUsage;
  return summary.failures > 0 || reporter.count() > 0 || !reported
             ? kExitFailures
             : kExitSuccess;
}

}  // namespace tarnwick::cli
