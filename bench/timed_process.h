// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// Running a program for the benchmark and timing it, output flushed to disk.
#ifndef TARNWICK_BENCH_TIMED_PROCESS_H_
#define TARNWICK_BENCH_TIMED_PROCESS_H_

#include <string>
#include <vector>

namespace tarnwick::bench {

struct Command {
  std::vector<std::string> argv;  // argv[0] is looked up in PATH
  std::string stdin_path;         // empty: inherited
  std::string stdout_path;        // empty: inherited
};

// The processor time a command took, in seconds.
struct ProcessorTime {
  double user = 0;
  double system = 0;
};

// Runs the command in the C locale and waits for it. Then flushes the file
// flush_path to disk (when not empty) before the clock stops. Returns the
// wall time in seconds, and the command's processor time in *used when
// given (the flush not included). Throws std::runtime_error when the command
// fails.
double RunTimed(const Command& command, const std::string& flush_path,
                ProcessorTime* used = nullptr);

// Writes every dirty page of the system to disk, so that one measurement
// does not pay for the writes of the one before.
void FlushEverything();

// True when both files hold the same bytes.
bool SameBytes(const std::string& a, const std::string& b);

}  // namespace tarnwick::bench

#endif  // TARNWICK_BENCH_TIMED_PROCESS_H_
