// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// The file list's menu: preview of the selected entry, the last run's
// report and undo of the last run, driven through the menu itself.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <functional>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QHeaderView>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <QTimer>

#include "app/main_window.h"
#include "app/main_window_layout.h"
#include "batch/preview.h"
#include "app/qt_window_services.h"
#include "app/run_views.h"
#include "filelist/file_list_model.h"
#include "filelist/file_list_view.h"
#include "tests/gui/fake_window_services.h"
#include "tests/support/limited_child.h"
#include "tests/support/temp_dir.h"
#include "ui/program_files.h"

namespace tarnwick {
namespace {

using testing::FakeWindowServices;
using testing::ReadAll;
using testing::kAddressSanitizer;
using testing::RunLimited;
using testing::TempDir;

// The journal in a folder of the test's own, named before any window is
// made (a window takes its journal's folder when it is made).
std::string UseStateFolder(const std::string& folder) {
  qputenv("XDG_STATE_HOME", QByteArray::fromStdString(folder));
  return folder;
}

class RunViewsTest : public ::testing::Test {
 protected:
  RunViewsTest() {
    SetProgramFolderForTesting(program_folder_.path());
    files_.Write("in/a.txt", "one\na\tb\nthree\n");
    files_.Write("out/a.txt", "older\n");
    Prepare(form_);
  }

  // Loads the window and lists a.txt and a missing file, to have their
  // tabs removed into out/.
  void Prepare(MainWindow& window) {
    window.load();
    fake_.open_file_dialog.answers = {{in_, "a.txt", "gone.txt"}};
    window.findChild<QPushButton*>("PushButton7")->click();
    window.findChild<QComboBox*>("Combo1")->setCurrentIndex(3);  // tabs
    window.findChild<QLineEdit*>("Text1")->setText(QString::fromStdString(out_));
  }

  // Opens the list's menu, picks the action with this text, and returns
  // the window it opened (if any).
  QDialog* Choose(const QString& text) { return Choose(text, form_); }
  QDialog* Choose(const QString& text, MainWindow& window) {
    QTimer::singleShot(0, [text] {
      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      ASSERT_NE(menu, nullptr);
      for (QAction* action : menu->actions()) {
        if (action->text() == text) action->trigger();
      }
      menu->close();
    });
    const auto before = window.findChildren<QDialog*>();
    FileListView* list = window.controls().list;
    emit list->customContextMenuRequested(QPoint(5, 5));
    for (QDialog* dialog : window.findChildren<QDialog*>()) {
      if (!before.contains(dialog)) return dialog;
    }
    return nullptr;
  }

  // Whether the menu's action with this text can be chosen.
  bool IsEnabled(const QString& text) {
    bool enabled = false;
    QTimer::singleShot(0, [&] {
      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      ASSERT_NE(menu, nullptr);
      for (QAction* action : menu->actions()) {
        if (action->text() == text) enabled = action->isEnabled();
      }
      menu->close();
    });
    emit form_.controls().list->customContextMenuRequested(QPoint(5, 5));
    return enabled;
  }

  QDialog* PreviewOf(int position) {
    FileListView* list = form_.controls().list;
    list->setCurrentIndex(list->model()->index(position - 1, 0));
    return Choose("Preview changes");
  }

  TempDir program_folder_;
  TempDir files_;
  std::string state_ = UseStateFolder(files_.MakeFolder("state"));
  std::string in_ = files_.MakeFolder("in");
  std::string out_ = files_.MakeFolder("out");
  FakeWindowServices fake_;
  MainWindow form_{fake_.services};
};

TEST_F(RunViewsTest, PreviewShowsTheChangedLinesAndWritesNothing) {
  form_.controls().list->setCurrentIndex(form_.controls().list->model()->index(0, 0));
  QDialog* preview = Choose("Preview changes");
  ASSERT_NE(preview, nullptr);
  EXPECT_EQ(preview->findChild<QLabel*>("summary")->text().toStdString(),
            in_ + "/a.txt\n1 change(s); 14 -> 13 bytes; 1 changed line(s)");
  EXPECT_EQ(preview->findChild<QPlainTextEdit*>("diff")->toPlainText().toStdString(),
            "@@ line 2 @@\n-a\tb\n+ab\n");
  EXPECT_EQ(ReadAll(out_ + "/a.txt"), "older\n");
  EXPECT_TRUE(fake_.messages.shown.empty());
}

TEST_F(RunViewsTest, ReportListsFailuresFirstAndUndoPutsBackTheOldOutput) {
  form_.findChild<QPushButton*>("PushButton10")->click();
  EXPECT_EQ(fake_.messages.shown, std::vector<std::string>{"Done."});
  EXPECT_EQ(ReadAll(out_ + "/a.txt"), "one\nab\nthree\n");

  QDialog* report = Choose("Show last run's report");
  ASSERT_NE(report, nullptr);
  auto* table = report->findChild<QTableWidget*>("table");
  ASSERT_EQ(table->rowCount(), 2);
  EXPECT_EQ(table->item(0, 0)->text().toStdString(), in_ + "/gone.txt");
  EXPECT_EQ(table->item(0, 1)->text(), "failed");
  EXPECT_EQ(table->item(1, 1)->text(), "changed");
  EXPECT_EQ(table->item(1, 3)->text(), "14 -> 13");
  report->findChild<QPushButton*>("copy")->click();
  EXPECT_TRUE(QApplication::clipboard()->text().contains(
      QString::fromStdString(in_ + "/a.txt\tchanged\t1\t14 -> 13\t\n")));

  fake_.prompts.answer_yes = true;
  QDialog* undo = Choose("Undo last run");
  ASSERT_NE(undo, nullptr);
  EXPECT_EQ(fake_.prompts.questions.size(), 1u);
  EXPECT_EQ(ReadAll(out_ + "/a.txt"), "older\n");
  EXPECT_EQ(undo->findChild<QTableWidget*>("table")->item(0, 1)->text(), "restored");
}

// The report comes from the journal: a window made afresh, as after a
// restart, shows the last run's report, and once that run is undone says
// so above the table.
TEST_F(RunViewsTest, TheReportSurvivesARestartAndSaysWhenTheRunWasUndone) {
  form_.findChild<QPushButton*>("PushButton10")->click();
  ASSERT_EQ(ReadAll(out_ + "/a.txt"), "one\nab\nthree\n");

  MainWindow restarted(fake_.services);
  restarted.load();
  const auto expect_the_run = [&](QDialog* report, const char* when) {
    ASSERT_NE(report, nullptr) << when;
    auto* table = report->findChild<QTableWidget*>("table");
    ASSERT_EQ(table->rowCount(), 2) << when;
    EXPECT_EQ(table->item(0, 0)->text().toStdString(), in_ + "/gone.txt") << when;
    EXPECT_EQ(table->item(0, 1)->text(), "failed") << when;
    EXPECT_EQ(table->item(0, 3)->text(), "-") << when;
    EXPECT_TRUE(table->item(0, 4)->text().contains("gone.txt")) << when;
    EXPECT_EQ(table->item(1, 0)->text().toStdString(), in_ + "/a.txt") << when;
    EXPECT_EQ(table->item(1, 1)->text(), "changed") << when;
    EXPECT_EQ(table->item(1, 3)->text(), "14 -> 13") << when;
  };
  QDialog* report = Choose("Show last run's report", restarted);
  expect_the_run(report, "after the restart");
  EXPECT_EQ(report->findChild<QLabel*>("note"), nullptr);
  EXPECT_TRUE(fake_.messages.shown.empty() ||
              fake_.messages.shown == std::vector<std::string>{"Done."});

  fake_.prompts.answer_yes = true;
  ASSERT_NE(Choose("Undo last run", restarted), nullptr);
  ASSERT_EQ(ReadAll(out_ + "/a.txt"), "older\n");
  report = Choose("Show last run's report", restarted);
  expect_the_run(report, "after the undo");
  ASSERT_NE(report->findChild<QLabel*>("note"), nullptr);
  EXPECT_EQ(report->findChild<QLabel*>("note")->text(), "This run has been undone.");
}

// Without a home there is no journal: the report is the run's records as
// this window kept them.
TEST_F(RunViewsTest, WithoutAJournalTheReportIsTheRunThisWindowMade) {
  const QByteArray home = qgetenv("HOME");
  qunsetenv("XDG_STATE_HOME");
  qunsetenv("HOME");
  MainWindow homeless(fake_.services);
  qputenv("HOME", home);
  UseStateFolder(state_);
  Prepare(homeless);
  EXPECT_EQ(Choose("Show last run's report", homeless), nullptr);
  EXPECT_EQ(fake_.messages.shown.back(), "No run has finished since the program started.");
  homeless.findChild<QPushButton*>("PushButton10")->click();
  EXPECT_EQ(fake_.messages.shown.back(), "Done.");
  QDialog* report = Choose("Show last run's report", homeless);
  ASSERT_NE(report, nullptr);
  EXPECT_EQ(report->findChild<QTableWidget*>("table")->rowCount(), 2);
  EXPECT_EQ(report->findChild<QLabel*>("note"), nullptr);
  EXPECT_EQ(Choose("Show last run's report"), nullptr);  // nothing in the journal
}

// The line above the report's table, for each state a run can be in.
TEST(ReportWindowTest, SaysWhatCannotBeUndoneAndWhatWasUndone) {
  struct Case {
    bool undone;
    int not_undoable, unreadable;
    const char* note;  // nullptr: no line
    std::size_t records = 1;
  };
  const Case cases[] = {
      {false, 0, 0, nullptr},
      {false, 0, 0, "The journal holds no record of this run's files.", 0},
      {true, 0, 0, "This run has been undone."},
      {false, 3, 0,
       "3 file(s) of this run cannot be undone: the journal could not keep "
       "what undo needs for them."},
      {true, 1, 2,
       "This run has been undone.\n1 file(s) of this run cannot be undone: "
       "the journal could not keep what undo needs for them.\n2 record(s) of "
       "this run in the "
       "journal cannot be read."},
  };
  for (const Case& c : cases) {
    RunReport report;
    report.records.resize(c.records);
    report.undone = c.undone;
    report.not_undoable = c.not_undoable;
    report.unreadable = c.unreadable;
    QDialog* window = MakeReportWindow(nullptr, report);
    auto* note = window->findChild<QLabel*>("note");
    if (c.note == nullptr) {
      EXPECT_EQ(note, nullptr) << c.not_undoable;
    } else {
      ASSERT_NE(note, nullptr) << c.note;
      EXPECT_EQ(note->text().toStdString(), c.note);
    }
    delete window;
  }
}

// The undo window's heading counts each outcome as the table shows it.
TEST(UndoWindowTest, HeadingCountsEachOutcomeApart) {
  using What = UndoItem::What;
  struct Case {
    std::vector<What> items;
    const char* heading;
  };
  const Case cases[] = {
      {std::vector<What>(8, What::kRemoved),
       "Run 7: 0 file(s) restored, 8 removed, 0 with nothing to do, 0 left alone"},
      {{What::kRestored, What::kRemoved, What::kUnchanged, What::kLeft,
        What::kLeft},
       "Run 7: 1 file(s) restored, 1 removed, 1 with nothing to do, 2 left alone"},
  };
  for (const Case& c : cases) {
    UndoResult result;
    result.id = "7";
    for (const What what : c.items) result.items.push_back({what, "/f", ""});
    QDialog* window = MakeUndoWindow(nullptr, result);
    auto* heading = window->findChild<QLabel*>("heading");
    ASSERT_NE(heading, nullptr) << c.heading;
    EXPECT_EQ(heading->text().toStdString(), c.heading);
    delete window;
  }
}

// More changed lines than the window shows: whole pairs up to the cap, the
// count of all of them in the summary and at the end.
TEST_F(RunViewsTest, PreviewShowsPairsUpToTheCapAndCountsThemAll) {
  std::string many;
  for (int i = 1; i <= 300; ++i) many += "line\t" + std::to_string(i) + "\r\n";
  form_.fileList().Append(files_.Write("in/many.txt", many));
  QDialog* preview = PreviewOf(3);
  ASSERT_NE(preview, nullptr);
  EXPECT_EQ(preview->findChild<QLabel*>("summary")->text().toStdString(),
            in_ + "/many.txt\n300 change(s); 2892 -> 2592 bytes; "
                  "300 changed line(s), the first 200 shown");
  const QStringList lines =
      preview->findChild<QPlainTextEdit*>("diff")->toPlainText().split('\n');
  EXPECT_EQ(lines.filter(QRegularExpression("^-line\t")).size(), 200);
  EXPECT_EQ(lines.filter(QRegularExpression("^\\+line")).size(), 200);
  EXPECT_TRUE(lines.contains("-line\t200"));
  EXPECT_TRUE(lines.contains("+line200"));
  EXPECT_FALSE(lines.contains("+line201"));
  EXPECT_TRUE(lines.contains("... 100 more changed line(s) not shown (300 in all)"));
}

// A 16-bit file reads as text on both sides; invalid bytes of an 8-bit
// file show as escapes.
TEST_F(RunViewsTest, PreviewDecodesTheFileAsTheOperationDoes) {
  struct Case {
    const char* what;
    std::string bytes;
    std::string shown;
  };
  const Case cases[] = {
      {"UTF-16 little-endian",
       std::string("\xFF\xFE" "h\0\xE9\0l\0l\0o\0\t\0w\0\xF6\0r\0l\0d\0\r\0\n\0", 30),
       "@@ line 1 @@\n-\xEF\xBB\xBFh\xC3\xA9llo\tw\xC3\xB6rld\n"
       "+\xEF\xBB\xBFh\xC3\xA9llow\xC3\xB6rld\n"},
      {"Latin-1", "caf\xE9\tbar\n", "@@ line 1 @@\n-caf\\xE9\tbar\n+caf\\xE9bar\n"},
  };
  int position = 2;
  for (const Case& c : cases) {
    form_.fileList().Append(files_.Write(std::string("in/") + c.what, c.bytes));
    QDialog* preview = PreviewOf(++position);
    ASSERT_NE(preview, nullptr) << c.what;
    EXPECT_EQ(preview->findChild<QPlainTextEdit*>("diff")->toPlainText().toStdString(),
              c.shown)
        << c.what;
  }
}

// A file far larger than the memory the preview may take.
TEST_F(RunViewsTest, PreviewMemoryDoesNotGrowWithTheFile) {
  if (kAddressSanitizer) GTEST_SKIP() << "the sanitizer reserves terabytes";
  const std::string big = files_ / "in/big.txt";
  {
    std::ofstream out(big, std::ios::binary);
    const std::string line = std::string(100, 'x') + "\t" + std::string(27, 'y') + "\r\n";
    for (int i = 0; i < (96 << 20) / 130; ++i) out << line;
  }
  const OperationKey* tabs = nullptr;
  for (const OperationKey& key : OperationKeys()) {
    if (key.key.find("tabs") != std::string_view::npos) tabs = &key;
  }
  ASSERT_NE(tabs, nullptr);
  EXPECT_EQ(RunLimited(32u << 20, [&] {
              const Preview preview = PreviewOperation(big, tabs->operation, {}, kPreviewPairs);
              return preview.lines.total == (96u << 20) / 130 &&
                             preview.lines.pairs.size() == kPreviewPairs
                         ? 0
                         : 1;
            }),
            0);
}

TEST_F(RunViewsTest, AFailedEntrysSizesAreUnknownAndItsReasonReadInFull) {
  form_.findChild<QPushButton*>("PushButton10")->click();
  QDialog* report = Choose("Show last run's report");
  ASSERT_NE(report, nullptr);
  auto* table = report->findChild<QTableWidget*>("table");
  ASSERT_EQ(table->item(0, 1)->text(), "failed");
  EXPECT_EQ(table->item(0, 3)->text(), "-");
  const QString reason = table->item(0, 4)->text();
  EXPECT_TRUE(reason.contains("gone.txt")) << reason.toStdString();
  EXPECT_EQ(table->item(0, 4)->toolTip(), reason);
  EXPECT_TRUE(table->wordWrap());
  EXPECT_TRUE(table->horizontalHeader()->stretchLastSection());
}

// While a run goes on the command is disabled and does nothing; its
// question names the run, starts on "No", and after an undo offers the
// older run only saying so.
TEST_F(RunViewsTest, UndoWaitsForTheRunAndNamesTheRunItWouldUndo) {
  fake_.prompts.answer_yes = true;
  form_.findChild<QPushButton*>("PushButton10")->click();  // the first run
  files_.Write("in/a.txt", "one\na\tb\tc\n");
  form_.findChild<QPushButton*>("PushButton10")->click();  // the second run
  ASSERT_EQ(ReadAll(out_ + "/a.txt"), "one\nabc\n");

  // A third run, removing what the user types: the menu during its question.
  form_.findChild<QComboBox*>("Combo1")->setCurrentIndex(9);
  bool enabled_while_busy = true;
  fake_.option_dialogs.while_open = [&] {
    ASSERT_TRUE(form_.isBusy());
    enabled_while_busy = IsEnabled("Undo last run");
    Choose("Undo last run");
  };
  fake_.option_dialogs.answers = {{u"zzz", u""}, {u"zzz", u""}};
  form_.findChild<QPushButton*>("PushButton10")->click();
  fake_.option_dialogs.while_open = nullptr;
  EXPECT_FALSE(enabled_while_busy);
  EXPECT_TRUE(fake_.prompts.questions.empty());
  EXPECT_TRUE(IsEnabled("Undo last run"));

  // The third run is undone first, then the second, each named.
  ASSERT_NE(Choose("Undo last run"), nullptr);
  ASSERT_NE(Choose("Undo last run"), nullptr);
  EXPECT_EQ(ReadAll(out_ + "/a.txt"), "one\nab\nthree\n");
  ASSERT_EQ(fake_.prompts.questions.size(), 2u);
  EXPECT_EQ(fake_.prompts.defaults,
            (std::vector<DefaultAnswer>{DefaultAnswer::kNo, DefaultAnswer::kNo}));
  for (const std::string& question : fake_.prompts.questions) {
    EXPECT_NE(question.find("Remove "), std::string::npos) << question;
    EXPECT_NE(question.find("file(s) in " + out_), std::string::npos) << question;
  }
  EXPECT_EQ(fake_.prompts.questions[0].rfind("Undo the run of ", 0), 0u);
  EXPECT_EQ(fake_.prompts.questions[1].rfind(
                "The last run has been undone already. Undo the older run of ", 0),
            0u);
}

TEST(QtPromptsTest, TheQuestionStartsOnTheDefaultAnswer) {
  for (const DefaultAnswer answer : {DefaultAnswer::kYes, DefaultAnswer::kNo}) {
    QMessageBox::StandardButton default_button = QMessageBox::NoButton;
    QTimer::singleShot(0, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      ASSERT_NE(box, nullptr);
      default_button = box->standardButton(box->defaultButton());
      box->reject();
    });
    QtPrompts prompts;
    prompts.AskYesNo(nullptr, "Sure?", answer);
    EXPECT_EQ(default_button,
              answer == DefaultAnswer::kYes ? QMessageBox::Yes : QMessageBox::No);
  }
}

}  // namespace
}  // namespace tarnwick
