// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "journal/run_history.h"

#include <algorithm>
#include <charconv>
#include <cstdint>

namespace tarnwick {
namespace {

// A numbered run's id as a number; 0 for the earlier version's runs, which
// are older than every numbered one.
std::uint64_t IdNumber(const std::string& id) {
  std::uint64_t number = 0;
  const auto [end, error] = std::from_chars(id.data(), id.data() + id.size(), number);
  return error == std::errc() && end == id.data() + id.size() ? number : 0;
}

}  // namespace

void RunHistory::Finished(std::vector<EntryRecord> records,
                          const std::optional<JournalSummary>& journal) {
  RunReport report;
  report.records = std::move(records);
  if (journal) {
    report.id = journal->id;
    report.not_undoable = journal->not_undoable;
  }
  latest_ = std::move(report);
}

RunReport RunHistory::FromJournal(const JournaledRun& run) const {
  RunReport report;
  report.id = run.id;
  report.undone = run.undone;
  report.not_undoable = run.not_undoable;
  for (const std::string& line : RunReportLines(folder_, run.id)) {
    if (std::optional<EntryRecord> record = ParseReportLine(line)) {
      report.records.push_back(std::move(*record));
    } else {
      ++report.unreadable;
    }
  }
  return report;
}

std::optional<RunReport> RunHistory::LastRun() const {
  const std::vector<JournaledRun> runs = Runs();
  if (latest_ && (runs.empty() || latest_->id.empty() ||
                  IdNumber(latest_->id) >= IdNumber(runs.front().id))) {
    // Ours is the newest; whether it was undone since, and what it cannot
    // undo, the journal says while it lists the run.
    // Its records as kept here, which a full journal may lack.
    RunReport report = *latest_;
    if (!runs.empty() && runs.front().id == latest_->id) {
      const RunReport journaled = FromJournal(runs.front());
      report.undone = report.undone || journaled.undone;
      report.not_undoable = journaled.not_undoable;
    }
    return report;
  }
  if (runs.empty()) return std::nullopt;
  return FromJournal(runs.front());
}

UndoResult RunHistory::Undo(const std::string& id) {
  const std::vector<JournaledRun> runs = Runs();
  const auto run = std::find_if(runs.begin(), runs.end(),
                                [&](const JournaledRun& r) { return r.id == id; });
  std::optional<RunReport> report;
  if (run != runs.end()) {
    report = FromJournal(*run);
  } else if (latest_ && latest_->id == id) {
    report = latest_;
  }
  UndoResult result = UndoRun(folder_, id);
  // The run's report, marked undone, unless a newer run is known.
  if (result.error.empty() && report &&
      (!latest_ ||
       (!latest_->id.empty() && IdNumber(id) >= IdNumber(latest_->id)))) {
    report->undone = true;
    latest_ = std::move(report);
  }
  return result;
}

}  // namespace tarnwick
