// "Start Removing": validates, then copies every listed file into the output
// folder and applies the chosen operation to the copy.
#ifndef TARNWICK_BATCH_BATCH_RUN_H_
#define TARNWICK_BATCH_BATCH_RUN_H_

#include "batch/batch_host.h"

namespace tarnwick {

struct BatchSummary {
  bool validated = false;  // false when the run stopped at validation
  int files = 0;           // entries handled
  int failures = 0;        // reports shown
};

// Runs one whole batch. results is the program's shared pair of dialog
// results. Reports failures through host.Reporter() and goes on.
BatchSummary StartRemoving(BatchHost& host, DialogResults& results);

}  // namespace tarnwick

#endif  // TARNWICK_BATCH_BATCH_RUN_H_
