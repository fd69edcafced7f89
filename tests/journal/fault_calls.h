// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// A fault-injecting table of system calls for the journal's tests: counts
// every call through the seam, makes every call from a given one on fail
// (as if the machine stopped there), and can give the journal's own writes
// a byte budget (a full file system) or refuse hard links into it (the
// journal on another file system). Installed for the life of the object.
#ifndef TARNWICK_TESTS_JOURNAL_FAULT_CALLS_H_
#define TARNWICK_TESTS_JOURNAL_FAULT_CALLS_H_

#include <cerrno>
#include <cstdint>
#include <string>

#include "files/system_calls.h"

namespace tarnwick::testing {

struct FaultPlan {
  // 1-based number of the first call that fails, with every later one;
  // 0 for none.
  int crash_at = 0;
  // Files below this folder take at most write_budget bytes more; then
  // writes to them fail with ENOSPC. Empty for no limit.
  std::string journal_folder;
  std::int64_t write_budget = -1;
  // Hard links into journal_folder fail with EXDEV.
  bool journal_elsewhere = false;
  // These calls fail with fail_error, at every call (names separated by
  // commas): "fchmod", "futimens", "rename_at", "mkdir_at", "fdatasync",
  // "syncfs", and
  // "rename_across" for a rename between two folders' descriptors (always
  // EXDEV: two file systems).
  std::string failing_call;
  int fail_error = EPERM;

  FaultPlan& CrashAt(int call) { crash_at = call; return *this; }
  FaultPlan& Budget(std::string folder, std::int64_t bytes) {
    journal_folder = std::move(folder);
    write_budget = bytes;
    return *this;
  }
  FaultPlan& Elsewhere(bool on = true) { journal_elsewhere = on; return *this; }
  FaultPlan& Failing(std::string calls, int error_number = EPERM) {
    failing_call = std::move(calls);
    fail_error = error_number;
    return *this;
  }
};

class FaultCalls {
 public:
  explicit FaultCalls(FaultPlan plan);
  ~FaultCalls();
  FaultCalls(const FaultCalls&) = delete;
  FaultCalls& operator=(const FaultCalls&) = delete;
  // Calls made so far.
  int calls() const;

 private:
  SystemCallsRestorer restorer_;
};

// The path an open descriptor names (empty when it cannot be read).
std::string PathOf(int fd);

}  // namespace tarnwick::testing

#endif  // TARNWICK_TESTS_JOURNAL_FAULT_CALLS_H_
