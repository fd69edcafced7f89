// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// "Start Removing": validates, then copies every listed file into the output
// folder and applies the chosen operation to the copy.
#ifndef TARNWICK_BATCH_BATCH_RUN_H_
#define TARNWICK_BATCH_BATCH_RUN_H_

#include "batch/batch_host.h"

namespace tarnwick {

struct BatchSummary {
  bool validated = false;  // false when the run stopped at validation
  int files = 0;           // entries handled
  // True when the host asked to stop: the run ended after files entries,
  // the others untouched, and showed no "Done.".
  bool stopped = false;
  int failures = 0;        // reports shown
  // True when another run was already under way: this call did nothing.
  bool already_running = false;
};

// Runs one whole batch, or its first entries when the host asks to stop
// (BatchHost::StopRequested) between two of them. results is the program's shared pair of dialog
// results. Reports failures through host.Reporter() and goes on. Only one
// run at a time: a call made while a run is under way (from the event loop
// or a dialog the run opened) returns at once and touches nothing.
BatchSummary StartRemoving(BatchHost& host, DialogResults& results);

}  // namespace tarnwick

#endif  // TARNWICK_BATCH_BATCH_RUN_H_
