// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// One whole run of tarnwick-batch after its arguments were parsed: the
// texts checked, the list built in argument order, the batch run, and the
// exit status.
#ifndef TARNWICK_CLI_BATCH_COMMAND_H_
#define TARNWICK_CLI_BATCH_COMMAND_H_

#include "cli/options.h"

namespace tarnwick::cli {

inline constexpr int kExitSuccess = 0;   // every file copied and processed
inline constexpr int kExitFailures = 1;  // some file failed
inline constexpr int kExitUsage = 2;     // usage or validation error

// Runs the batch the options describe and returns the exit status.
int RunBatchCommand(const Options& options);

// A usage error on standard error, with the hint to --help.
void PrintUsageError(const std::string& error);
// "tarnwick-batch: text" on standard error, after what is on standard output.
void PrintError(const std::string& text);

}  // namespace tarnwick::cli

#endif  // TARNWICK_CLI_BATCH_COMMAND_H_
