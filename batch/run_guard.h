// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// One batch run at a time. The run lets the event loop turn once per file
// and while a dialog is open, so a second "Start Removing" can arrive while
// the first is still under way; that second one must do nothing.
#ifndef TARNWICK_BATCH_RUN_GUARD_H_
#define TARNWICK_BATCH_RUN_GUARD_H_

namespace tarnwick {

// Held for the whole of a run. The first guard in the program owns the run;
// a guard made while another is alive does not, and leaves it alone.
// Single-threaded, like everything the run touches.
class RunGuard {
 public:
  RunGuard() noexcept;
  ~RunGuard();
  RunGuard(const RunGuard&) = delete;
  RunGuard& operator=(const RunGuard&) = delete;

  bool owns_run() const noexcept { return owns_; }

 private:
  bool owns_;
};

}  // namespace tarnwick

#endif  // TARNWICK_BATCH_RUN_GUARD_H_
