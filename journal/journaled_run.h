// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// "Start Removing" with its journal, as both programs run it: the journal
// is opened in the given folder (none when the folder is empty, or for a
// dry run, which writes nothing), the recorder sees every entry and passes
// every write on to the journal beforehand, and the journal is finished
// when the run ends, however far it got.
#ifndef TARNWICK_JOURNAL_JOURNALED_RUN_H_
#define TARNWICK_JOURNAL_JOURNALED_RUN_H_

#include <string>

#include "batch/batch_run.h"
#include "batch/run_record.h"
#include "journal/run_journal.h"

namespace tarnwick {

struct JournaledRunOptions {
  // Where the journal is kept; empty: the run goes without one and cannot
  // be undone.
  std::string journal_folder;
  JournalSettings settings;
  std::string operation;      // the run's operation, as the journal lists it
  std::string output_folder;  // as the journal lists it
};

struct JournaledRunResult {
  BatchSummary summary;
  // Whether the run had a journal; then what its end said (the run's id,
  // empty when it wrote nothing, and the files it cannot undo).
  bool journaled = false;
  JournalSummary journal;
};

// Runs StartRemoving(host, results) with recorder as the run's observer,
// journaled as options say unless the recorder is a dry run's. A call made
// while another run is under way does nothing (summary.already_running).
JournaledRunResult RunJournaled(BatchHost& host, DialogResults& results,
                                RunRecorder& recorder,
                                const JournaledRunOptions& options);

}  // namespace tarnwick

#endif  // TARNWICK_JOURNAL_JOURNALED_RUN_H_
