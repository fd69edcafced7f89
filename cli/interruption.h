// Ctrl-C and termination requests during a run. The run is stopped only
// between two files, so that no file is ever left half written and no
// temporary file is left behind; a second request ends the program at once.
#ifndef TARNWICK_CLI_INTERRUPTION_H_
#define TARNWICK_CLI_INTERRUPTION_H_

namespace tarnwick::cli {

// The exit status after an interruption: 128 plus the signal's number.
inline constexpr int kExitInterruptedBase = 128;

// Catches SIGINT, SIGTERM and SIGHUP from now on.
void CatchInterruptions();

// The signal that asked to stop, or 0 when none did.
int InterruptionSignal();

}  // namespace tarnwick::cli

#endif  // TARNWICK_CLI_INTERRUPTION_H_
