// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// Runs the built tarnwick-batch as a child process and collects what it
// printed and its exit status.
#ifndef TARNWICK_TESTS_CLI_PROGRAM_RUN_H_
#define TARNWICK_TESTS_CLI_PROGRAM_RUN_H_

#include <csignal>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace tarnwick::testing {

struct ProgramResult {
  int status = -1;     // the exit status; -1 when it did not exit normally
  std::string out;     // standard output (everything, when on a terminal)
  std::string err;     // standard error
  bool started = true;  // false when the child could not become the user
};

struct RunSettingsForChild {
  // Standard output and error on one pseudo-terminal.
  bool terminal = false;
  // Run as the unprivileged user 65534 (needs root).
  bool unprivileged = false;
  // Extra environment variables, NAME=VALUE.
  std::vector<std::string> environment;
  // The working folder; empty for the test's own.
  std::string folder;
  // When not negative: send the signal this many milliseconds after the
  // start.
  int interrupt_after_ms = -1;
  // When set: asked every millisecond or so; the signal is sent once it
  // answers true.
  std::function<bool()> interrupt_when;
  int interrupt_signal = SIGINT;
  // Standard output on a pipe whose reading end is closed.
  bool output_closed = false;
};

// The program's path: $TARNWICK_TEST_BINARY_DIR/cli/tarnwick-batch.
std::string ProgramPath();

// The lines of a program's output, each without its line end (a last line
// without one is left out).
std::vector<std::string> Lines(const std::string& text);

ProgramResult RunProgram(const std::vector<std::string>& arguments,
                         const RunSettingsForChild& settings = {});

}  // namespace tarnwick::testing

#endif  // TARNWICK_TESTS_CLI_PROGRAM_RUN_H_
