// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "app/run_views.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTextDocument>
#include <QTimer>
#include <QTextOption>
#include <QVBoxLayout>

#include <algorithm>
#include <optional>

#include "app/main_window.h"
#include "app/main_window_layout.h"
#include "batch/preview.h"
#include "core/operation_keys.h"
#include "files/path_helpers.h"
#include "filelist/file_list_view.h"
#include "journal/run_history.h"

namespace tarnwick {
namespace {

constexpr char kPreview[] = "Preview changes";
constexpr char kShowReport[] = "Show last run's report";
constexpr char kUndo[] = "Undo last run";

QString Q(const std::string& text) { return QString::fromStdString(text); }

// A window with a heading, a table and Copy / Close buttons.
QDialog* MakeTableWindow(QWidget* parent, const QString& title,
                         const QString& heading, const QString& note,
                         const QStringList& columns,
                         const std::vector<std::vector<std::string>>& rows,
                         const std::string& clipboard) {
  auto* window = new QDialog(parent);
  window->setAttribute(Qt::WA_DeleteOnClose);
  window->setWindowTitle(title);
  auto* layout = new QVBoxLayout(window);
  auto* heading_label = new QLabel(heading, window);
  heading_label->setObjectName("heading");
  layout->addWidget(heading_label);
  if (!note.isEmpty()) {
    auto* label = new QLabel(note, window);
    label->setObjectName("note");
    label->setWordWrap(true);
    layout->addWidget(label);
  }
  auto* table = new QTableWidget(static_cast<int>(rows.size()),
                                 static_cast<int>(columns.size()), window);
  table->setObjectName("table");
  table->setHorizontalHeaderLabels(columns);
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->verticalHeader()->hide();
  // Every cell shows its whole text as its tooltip; the last column (the
  // reason) takes the room left and wraps, so a long reason is read in full.
  for (std::size_t r = 0; r < rows.size(); ++r) {
    for (std::size_t c = 0; c < rows[r].size(); ++c) {
      auto* item = new QTableWidgetItem(Q(rows[r][c]));
      item->setToolTip(item->text());
      table->setItem(static_cast<int>(r), static_cast<int>(c), item);
    }
  }
  table->setWordWrap(true);
  for (int c = 0; c + 1 < table->columnCount(); ++c) {
    table->resizeColumnToContents(c);
    table->setColumnWidth(c, std::min(table->columnWidth(c), 200));
  }
  table->horizontalHeader()->setStretchLastSection(true);
  layout->addWidget(table);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, window);
  QPushButton* copy = buttons->addButton("Copy", QDialogButtonBox::ActionRole);
  copy->setObjectName("copy");
  QObject::connect(copy, &QPushButton::clicked, window, [clipboard] {
    QApplication::clipboard()->setText(Q(clipboard));
  });
  QObject::connect(buttons, &QDialogButtonBox::rejected, window, &QDialog::reject);
  layout->addWidget(buttons);
  window->resize(720, 360);
  // Rows take the height their wrapped reason needs at the window's width.
  table->setMinimumWidth(0);
  QObject::connect(table->horizontalHeader(), &QHeaderView::sectionResized, table,
                   [table] { table->resizeRowsToContents(); });
  QTimer::singleShot(0, table, [table] { table->resizeRowsToContents(); });
  return window;
}

// The selected entry's text and position, or nothing.
std::optional<std::pair<int, std::string>> SelectedEntry(MainWindow& window) {
  const QModelIndex index = window.controls().list->currentIndex();
  if (!index.isValid()) return std::nullopt;
  const int position = index.row() + 1;
  return std::make_pair(position, window.FileAt(position));
}

void PreviewSelected(MainWindow& window) {
  const auto entry = SelectedEntry(window);
  if (!entry) {
    window.ShowMessage("Select a file in the list to preview.");
    return;
  }
  const auto& [position, source] = *entry;
  const OperationKey* chosen = ChosenOperation(window.ChooserText());
  if (chosen == nullptr) {
    window.ShowMessage("With this choice the file is only copied: nothing "
                       "in it changes.");
    return;
  }
  DialogResults answers;
  if (chosen->kind == OperationKind::kRemoveText) {
    window.ShowRemoveDialog("Remove X - File " + std::to_string(position) + ". ",
                            answers);
    if (answers.find_what.empty()) return;
  } else if (chosen->kind == OperationKind::kFindAndReplace) {
    window.ShowFindReplaceDialog(
        "Find And Replace - File " + std::to_string(position) + ". ", answers);
    if (answers.find_what.empty() || answers.replace_with.empty()) return;
  }
  try {
    const Preview preview =
        PreviewOperation(source, chosen->operation, answers, kPreviewPairs);
    MakePreviewWindow(&window, source, PreviewSummary(preview),
                      PreviewPairsText(preview.lines))->show();
  } catch (const std::exception& e) {
    window.ShowMessage(std::string("The preview failed: ") + e.what());
  }
}

void ShowReport(MainWindow& window) {
  const std::optional<RunReport> report = window.runHistory().LastRun();
  // A run of the journal without records (written by the earlier version)
  // still gets its window, which says so.
  if (!report || (report->records.empty() && report->id.empty())) {
    window.ShowMessage("No run has finished since the program started.");
    return;
  }
  MakeReportWindow(&window, *report)->show();
}

// The time of the last run this window undid, kept on the window: a run
// from no later than that is older than the one undone.
constexpr char kUndoneRunTime[] = "undoneRunTime";

// Not while a run or a scan is under way. The question names the run it
// would undo, says so when a newer run was undone already, and defaults to
// "No".
void UndoLast(MainWindow& window) {
  if (window.isBusy()) return;
  const std::vector<JournaledRun> runs = window.runHistory().Runs();
  const auto last = std::find_if(runs.begin(), runs.end(),
                                 [](const JournaledRun& run) { return !run.undone; });
  if (last == runs.end()) {
    window.ShowMessage("There is no run to undo.");
    return;
  }
  const QVariant undone_time = window.property(kUndoneRunTime);
  const bool older = last != runs.begin() ||
                     (undone_time.isValid() &&
                      last->time <= undone_time.toString().toStdString());
  const std::string question =
      std::string(older ? "The last run has been undone already. Undo the "
                          "older run of "
                        : "Undo the run of ") +
      last->time + " (" + last->operation + ", " +
      std::to_string(last->files) + " file(s) in " + last->output_folder +
      ")?\r\n\r\nFiles it replaced get their previous content back and files "
      "it created are removed, only where they are still as the run left "
      "them.";
  if (!window.services().prompts.AskYesNo(&window, question, DefaultAnswer::kNo)) {
    return;
  }
  window.setProperty(kUndoneRunTime, Q(last->time));
  MakeUndoWindow(&window, window.runHistory().Undo(last->id))->show();
}

}  // namespace

void InstallRunMenu(MainWindow& window) {
  FileListView* list = window.controls().list;
  list->setContextMenuPolicy(Qt::CustomContextMenu);
  QObject::connect(list, &QWidget::customContextMenuRequested, &window,
                   [&window, list](const QPoint& at) {
                     QMenu menu(list);
                     menu.setObjectName("runMenu");
                     QObject::connect(menu.addAction(kPreview), &QAction::triggered,
                                      &window, [&window] { PreviewSelected(window); });
                     QObject::connect(menu.addAction(kShowReport), &QAction::triggered,
                                      &window, [&window] { ShowReport(window); });
                     QAction* undo = menu.addAction(kUndo);
                     undo->setEnabled(!window.isBusy());
                     QObject::connect(undo, &QAction::triggered, &window,
                                      [&window] { UndoLast(window); });
                     menu.exec(list->viewport()->mapToGlobal(at));
                   });
}

namespace {

// A size the run knew, or "-".
std::string SizeText(const std::optional<std::uint64_t>& bytes) {
  return bytes ? std::to_string(*bytes) : std::string("-");
}

}  // namespace

std::vector<ReportRow> ReportRows(const std::vector<EntryRecord>& records) {
  std::vector<ReportRow> rows;
  for (const bool failed : {true, false}) {
    for (const EntryRecord& record : records) {
      if ((record.status == EntryStatus::kFailed) != failed) continue;
      rows.push_back({record.source, std::string(StatusName(record.status)),
                      std::to_string(record.changes),
                      // A size the run does not know shows as "-".
                      !record.bytes_before && !record.bytes_after
                          ? std::string("-")
                          : SizeText(record.bytes_before) + " -> " +
                                SizeText(record.bytes_after),
                      record.reason});
    }
  }
  return rows;
}

std::string ReportClipboardText(const std::vector<ReportRow>& rows) {
  std::string text = "file\tresult\tchanges\tsize\treason\n";
  for (const ReportRow& row : rows) {
    text += row.file + "\t" + row.result + "\t" + row.changes + "\t" +
            row.sizes + "\t" + row.reason + "\n";
  }
  return text;
}

QDialog* MakeReportWindow(QWidget* parent, const RunReport& report) {
  const std::vector<ReportRow> rows = ReportRows(report.records);
  std::vector<std::vector<std::string>> cells;
  int failed = 0;
  for (const ReportRow& row : rows) {
    cells.push_back({row.file, row.result, row.changes, row.sizes, row.reason});
    failed += row.result == "failed";
  }
  QStringList notes;
  if (report.undone) notes << "This run has been undone.";
  if (report.not_undoable > 0) {
    notes << QString("%1 file(s) of this run cannot be undone: the journal "
                     "could not keep what undo needs for them.")
                 .arg(report.not_undoable);
  }
  if (report.records.empty() && report.unreadable == 0) {
    notes << "The journal holds no record of this run's files.";
  }
  if (report.unreadable > 0) {
    notes << QString("%1 record(s) of this run in the journal cannot be read.")
                 .arg(report.unreadable);
  }
  return MakeTableWindow(
      parent, "Last run's report",
      QString("%1 file(s), %2 failed").arg(rows.size()).arg(failed),
      notes.join('\n'), {"File", "Result", "Changes", "Size before -> after", "Reason"}, cells,
      ReportClipboardText(rows));
}

QDialog* MakeUndoWindow(QWidget* parent, const UndoResult& result) {
  std::vector<std::vector<std::string>> cells;
  std::string clipboard;
  int count[4] = {};  // by UndoItem::What
  for (const UndoItem& item : result.items) {
    const char* what = item.what == UndoItem::What::kRestored    ? "restored"
                       : item.what == UndoItem::What::kRemoved   ? "removed"
                       : item.what == UndoItem::What::kUnchanged ? "nothing to do"
                                                                 : "left alone";
    ++count[static_cast<int>(item.what)];
    cells.push_back({item.path, what, item.reason});
    clipboard += item.path + "\t" + what + "\t" + item.reason + "\n";
  }
  const QString heading =
      result.error.empty()
          ? QString("Run %1: %2 file(s) restored, %3 removed, %4 with nothing "
                    "to do, %5 left alone")
                .arg(Q(result.id))
                .arg(count[static_cast<int>(UndoItem::What::kRestored)])
                .arg(count[static_cast<int>(UndoItem::What::kRemoved)])
                .arg(count[static_cast<int>(UndoItem::What::kUnchanged)])
                .arg(count[static_cast<int>(UndoItem::What::kLeft)])
          : Q(result.error);
  return MakeTableWindow(parent, "Undo last run", heading, QString(),
                         {"File", "Result", "Reason"}, cells, clipboard);
}

QDialog* MakePreviewWindow(QWidget* parent, const std::string& file,
                           const std::string& summary, const std::string& diff) {
  auto* window = new QDialog(parent);
  window->setAttribute(Qt::WA_DeleteOnClose);
  window->setWindowTitle("Preview changes");
  auto* layout = new QVBoxLayout(window);
  auto* heading = new QLabel(Q(file + "\n" + summary), window);
  heading->setObjectName("summary");
  layout->addWidget(heading);
  auto* text = new QPlainTextEdit(window);
  text->setObjectName("diff");
  text->setReadOnly(true);
  text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  // Spaces and tabs are what several operations remove: they show as dots
  // and arrows, so that a removed one can be seen.
  QTextOption option = text->document()->defaultTextOption();
  option.setFlags(option.flags() | QTextOption::ShowTabsAndSpaces);
  text->document()->setDefaultTextOption(option);
  text->setPlainText(diff.empty() ? QString("(nothing changes)") : Q(diff));
  layout->addWidget(text);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, window);
  QObject::connect(buttons, &QDialogButtonBox::rejected, window, &QDialog::reject);
  layout->addWidget(buttons);
  window->resize(720, 420);
  return window;
}

}  // namespace tarnwick
