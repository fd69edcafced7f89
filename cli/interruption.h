// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// Ctrl-C and termination requests during a run. The run is stopped only
// between two files, so that no file is ever left half written and no
// temporary file is left behind; then the journal and the report are
// completed and the program ends with 128 plus the signal's number. A
// second request ends the program at once.
#ifndef TARNWICK_CLI_INTERRUPTION_H_
#define TARNWICK_CLI_INTERRUPTION_H_

namespace tarnwick::cli {

// The exit status after an interruption: 128 plus the signal's number.
inline constexpr int kExitInterruptedBase = 128;

// Catches SIGINT, SIGTERM and SIGHUP from now on.
void CatchInterruptions();

// From now on a write to a pipe nobody reads fails (EPIPE) instead of
// ending the program wherever it is: a reader that went away is lost
// output, reported as such at the end (cli/output_status.h), not a reason
// to leave a run and its journal half done.
void IgnoreBrokenPipes();

// The signal that asked to stop, or 0 when none did.
int InterruptionSignal();

}  // namespace tarnwick::cli

#endif  // TARNWICK_CLI_INTERRUPTION_H_
