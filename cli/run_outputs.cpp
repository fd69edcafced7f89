// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/run_outputs.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "cli/batch_command.h"
#include "cli/line_text.h"
#include "cli/output_status.h"
#include "cli/options.h"
#include "cli/progress_line.h"
#include "journal/run_journal.h"

namespace tarnwick::cli {
namespace {

void PrintLine(const std::string& text) { WriteOutput(stdout, text + "\n"); }

constexpr char kNoJournal[] =
    "there is no journal: neither XDG_STATE_HOME nor HOME names a folder to "
    "keep it in";

// Why the journal cannot be read (a folder that is not there yet holds no
// run and is no failure), or an empty text.
std::string UnreadableJournal(const std::string& folder) {
  if (::access(folder.c_str(), R_OK | X_OK) == 0 || errno == ENOENT) return "";
  return "cannot read the journal " + EscapeForLine(folder) + ": " +
         std::strerror(errno);
}

}  // namespace

void CliRecorder::JournalNote(const std::string& target,
                              const std::string& text) {
  RunRecorder::JournalNote(target, text);
  progress_.Clear();
  PrintError("note: " + EscapeForLine(target) + ": " + EscapeForLine(text));
}

void CliRecorder::EntryDone(const EntryRecord& record) {
  RunRecorder::EntryDone(record);
  progress_.Clear();
  if (DryRun()) {
    PrintLine(EscapeForLine(record.source) + "\t" +
              std::string(StatusName(record.status)) + "\t" +
              std::to_string(record.changes) + "\t" +
              EscapeForLine(records().back().reason));  // with a note
  } else if (record.status != EntryStatus::kFailed && !record.reason.empty()) {
    PrintError("note: " + EscapeForLine(record.output) + ": " +
               EscapeForLine(record.reason));
  }
}

std::string JournalFolder() {
  std::string folder = DefaultJournalFolder();
  // Without a home the default would be /.local/state/tarnwick.
  if (folder.empty() || folder.front() != '/' ||
      folder.rfind("/.local/", 0) == 0) {
    return "";
  }
  return folder;
}

int RunUndoCommand(const std::string& run) {
  const std::string folder = JournalFolder();
  if (folder.empty()) {
    PrintError(kNoJournal);
    return kExitUsage;
  }
  if (const std::string why = UnreadableJournal(folder); !why.empty()) {
    PrintError(why);
    return kExitUsage;
  }
  const UndoResult result = UndoRun(folder, run);
  if (!result.error.empty()) {
    PrintError(result.error);
    return kExitUsage;
  }
  int left = 0;
  for (const UndoItem& item : result.items) {
    switch (item.what) {
      case UndoItem::What::kRestored:
        PrintLine("restored\t" + EscapeForLine(item.path));
        break;
      case UndoItem::What::kRemoved:
        PrintLine("removed\t" + EscapeForLine(item.path));
        break;
      case UndoItem::What::kUnchanged:
        PrintLine("unchanged\t" + EscapeForLine(item.path) + "\t" +
                  EscapeForLine(item.reason));
        break;
      case UndoItem::What::kLeft:
        ++left;
        PrintLine("left\t" + EscapeForLine(item.path) + "\t" +
                  EscapeForLine(item.reason));
        break;
    }
  }
  if (result.unrecorded > 0) {
    PrintError("run " + result.id + ": " + std::to_string(result.unrecorded) +
               " file(s) the run wrote are not in its journal (it could not "
               "record them) and were left as they are");
  }
  if (left > 0) {
    PrintError("run " + result.id + ": " + std::to_string(left) +
               " file(s) left alone (see the lines beginning with \"left\")");
  }
  if (left > 0 || result.unrecorded > 0) return kExitFailures;
  return kExitSuccess;
}

int RunListRunsCommand() {
  const std::string folder = JournalFolder();
  if (folder.empty()) {
    PrintError(std::string("note: ") + kNoJournal + ", so no run to list");
    return kExitSuccess;
  }
  if (const std::string why = UnreadableJournal(folder); !why.empty()) {
    PrintError(why);
    return kExitFailures;
  }
  for (const JournaledRun& run : ListRuns(folder)) {
    PrintLine(EscapeForLine(run.id) + "\t" + EscapeForLine(run.time) + "\t" +
              EscapeForLine(run.operation) + "\t" +
              EscapeForLine(run.output_folder) + "\t" +
              std::to_string(run.files) + " file(s)" +
              (run.undone ? "\tundone" : "") +
              (run.in_progress ? "\tin progress" : "") +
              (run.not_undoable > 0 ? "\t" + std::to_string(run.not_undoable) +
                                          " file(s) cannot be undone"
                                    : "") +
              (run.damage.empty() ? "" : "\tdamaged: " + EscapeForLine(run.damage)));
  }
  return kExitSuccess;
}

}  // namespace tarnwick::cli
