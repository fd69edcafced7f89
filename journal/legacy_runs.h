// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// Runs written by the earlier version of the journal: runs/<local time>/
// with a run.tsv manifest written at the run's end. They stay listed (older
// than every numbered run) and undoable, with the same checks of paths and
// kept names as the numbered runs.
#ifndef TARNWICK_JOURNAL_LEGACY_RUNS_H_
#define TARNWICK_JOURNAL_LEGACY_RUNS_H_

#include <string>
#include <unordered_set>

#include "journal/run_undo.h"

namespace tarnwick {

// False when the manifest is missing or damaged (run.damage says why).
bool ReadLegacyRun(const std::string& run_folder, JournaledRun& run);

// The kept names the manifest names; false when it is missing or damaged.
bool LegacyKeptNames(const std::string& run_folder,
                     std::unordered_set<std::string>& named);

// Undoes the run in run_folder into result (result.error when refused).
void UndoLegacyRun(const std::string& run_folder, UndoResult& result);

}  // namespace tarnwick

#endif  // TARNWICK_JOURNAL_LEGACY_RUNS_H_
