// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// Preview, report and undo in the window, without touching the main
// window's layout or messages: a context menu on the file list with
// "Preview changes", "Show last run's report" and "Undo last run", each
// opening a window of its own. The runs they show come from the window's
// RunHistory (journal/run_history.h); the preview from batch/preview.h.
#ifndef TARNWICK_APP_RUN_VIEWS_H_
#define TARNWICK_APP_RUN_VIEWS_H_

#include <string>
#include <vector>

#include "batch/run_record.h"
#include "journal/run_history.h"

class QDialog;
class QWidget;

namespace tarnwick {

class MainWindow;
struct UndoResult;

// Adds the context menu to the window's file list.
void InstallRunMenu(MainWindow& window);

// One row of the report window: file, result, changes, "before -> after"
// bytes ("-" for a failed entry, whose sizes are not known), reason; failed
// entries first, otherwise in run order.
struct ReportRow {
  std::string file, result, changes, sizes, reason;
};
std::vector<ReportRow> ReportRows(const std::vector<EntryRecord>& records);
// The rows as tab-separated lines with a heading, for the clipboard.
std::string ReportClipboardText(const std::vector<ReportRow>& rows);

// The windows (not yet shown; deleted when closed).
// The report's window says above its table when the run has been undone,
// how many of its files cannot be undone, and how many of its records
// could not be read (or that it has none), when there are any.
QDialog* MakeReportWindow(QWidget* parent, const RunReport& report);
QDialog* MakeUndoWindow(QWidget* parent, const UndoResult& result);
QDialog* MakePreviewWindow(QWidget* parent, const std::string& file,
                           const std::string& summary, const std::string& diff);

}  // namespace tarnwick

#endif  // TARNWICK_APP_RUN_VIEWS_H_
