// Preview, report and undo in the window, without touching the main
// window's layout or messages: a context menu on the file list with
// "Preview changes", "Show last run's report" and "Undo last run", each
// opening a window of its own; and the run itself journaled and recorded.
#ifndef TARNWICK_APP_RUN_VIEWS_H_
#define TARNWICK_APP_RUN_VIEWS_H_

#include <string>
#include <vector>

#include "batch/run_record.h"

class QDialog;
class QWidget;

namespace tarnwick {

class MainWindow;
struct UndoResult;

// "Start Removing" with the journal and the run's records kept as the last
// run's report. The run, its messages and "Done." are unchanged.
void StartJournaledRun(MainWindow& window);

// Adds the context menu to the window's file list.
void InstallRunMenu(MainWindow& window);

// The records of the last run in this program, if any.
const std::vector<EntryRecord>& LastRunRecords();

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
QDialog* MakeReportWindow(QWidget* parent,
                          const std::vector<EntryRecord>& records);
QDialog* MakeUndoWindow(QWidget* parent, const UndoResult& result);
QDialog* MakePreviewWindow(QWidget* parent, const std::string& file,
                           const std::string& summary, const std::string& diff);

}  // namespace tarnwick

#endif  // TARNWICK_APP_RUN_VIEWS_H_
