// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// tarnwick-batch: Tarnwick's batch run from the command line.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/batch_command.h"
#include "cli/interruption.h"
#include "cli/options.h"
#include "cli/output_status.h"
#include "cli/run_outputs.h"

namespace {

int Run(int argc, char** argv) {
  using namespace tarnwick::cli;
  const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0),
                                           argv + argc);
  const ParseResult parsed = ParseArguments(arguments);
  switch (parsed.command) {
    case Command::kHelp:
      WriteOutput(stdout, HelpText());
      return kExitSuccess;
    case Command::kVersion:
      WriteOutput(stdout, VersionText());
      return kExitSuccess;
    case Command::kUsageError:
      PrintUsageError(parsed.error);
      return kExitUsage;
    case Command::kUndo:
      return RunUndoCommand(parsed.options.undo_run);
    case Command::kListRuns:
      return RunListRunsCommand();
    case Command::kRun:
      break;
  }
  return RunBatchCommand(parsed.options);
}

}  // namespace

int main(int argc, char** argv) {
  tarnwick::cli::IgnoreBrokenPipes();
  return tarnwick::cli::ExitStatusAfterOutput(Run(argc, argv));
}
