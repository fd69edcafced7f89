#include "cli/run_outputs.h"

#include <cstdio>

#include "cli/batch_command.h"
#include "cli/options.h"
#include "cli/progress_line.h"
#include "files/file_error.h"
#include "files/file_write.h"
#include "journal/run_journal.h"

namespace tarnwick::cli {
namespace {

void PrintLine(std::FILE* stream, const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stream);
  std::fputc('\n', stream);
}

}  // namespace

void CliRecorder::JournalNote(const std::string& target,
                              const std::string& text) {
  RunRecorder::JournalNote(target, text);
  progress_.Clear();
  PrintError("note: " + target + ": " + text);
}

void CliRecorder::EntryDone(const EntryRecord& record) {
  RunRecorder::EntryDone(record);
  progress_.Clear();
  if (DryRun()) {
    PrintLine(stdout, record.source + "\t" +
                          std::string(StatusName(record.status)) + "\t" +
                          std::to_string(record.changes) + "\t" +
                          record.reason);
    std::fflush(stdout);
  } else if (record.status != EntryStatus::kFailed && !record.reason.empty()) {
    PrintError("note: " + record.output + ": " + record.reason);
  }
}

bool WriteReport(const std::string& path,
                 const std::vector<EntryRecord>& records) {
  std::string text;
  for (const EntryRecord& record : records) text += ReportLine(record) + "\n";
  if (path == "-") {
    std::fwrite(text.data(), 1, text.size(), stdout);
    if (std::fflush(stdout) == 0) return true;
    PrintError("--report: cannot write to standard output");
    return false;
  }
  try {
    ReplaceFileContents(path, text);
    return true;
  } catch (const FileError& e) {
    PrintError(std::string("--report: ") + e.what());
    return false;
  }
}

int RunUndoCommand(const std::string& run) {
  const UndoResult result = UndoRun(DefaultJournalFolder(), run);
  if (!result.error.empty()) {
    PrintError(result.error);
    return kExitUsage;
  }
  int left = 0;
  for (const UndoItem& item : result.items) {
    switch (item.what) {
      case UndoItem::What::kRestored:
        PrintLine(stdout, "restored\t" + item.path);
        break;
      case UndoItem::What::kRemoved:
        PrintLine(stdout, "removed\t" + item.path);
        break;
      case UndoItem::What::kLeft:
        ++left;
        PrintLine(stdout, "left\t" + item.path + "\t" + item.reason);
        break;
    }
  }
  std::fflush(stdout);
  if (left > 0) {
    PrintError("run " + result.id + ": " + std::to_string(left) +
               " file(s) left alone (see the lines beginning with \"left\")");
    return kExitFailures;
  }
  return kExitSuccess;
}

int RunListRunsCommand() {
  const std::string folder = DefaultJournalFolder();
  for (const JournaledRun& run : ListRuns(folder)) {
    PrintLine(stdout, run.id + "\t" + run.time + "\t" + run.operation + "\t" +
                          run.output_folder + "\t" + std::to_string(run.files) +
                          " file(s)" + (run.undone ? "\tundone" : "") +
                          (run.in_progress ? "\tin progress" : "") +
                          (run.not_undoable > 0
                               ? "\t" + std::to_string(run.not_undoable) +
                                     " file(s) cannot be undone"
                               : "") +
                          (run.damage.empty() ? "" : "\tdamaged: " + run.damage));
  }
  return std::fflush(stdout) == 0 ? kExitSuccess : kExitFailures;
}

}  // namespace tarnwick::cli
