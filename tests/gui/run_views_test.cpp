// The file list's menu: preview of the selected entry, the last run's
// report and undo of the last run, driven through the menu itself.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

#include "app/main_window.h"
#include "app/main_window_layout.h"
#include "app/run_views.h"
#include "filelist/file_list_view.h"
#include "tests/gui/fake_window_services.h"
#include "tests/support/temp_dir.h"
#include "ui/program_files.h"

namespace tarnwick {
namespace {

using testing::FakeWindowServices;
using testing::ReadAll;
using testing::TempDir;

class RunViewsTest : public ::testing::Test {
 protected:
  RunViewsTest() {
    SetProgramFolderForTesting(program_folder_.path());
    qputenv("XDG_STATE_HOME", QByteArray::fromStdString(files_.MakeFolder("state")));
    in_ = files_.MakeFolder("in");
    out_ = files_.MakeFolder("out");
    files_.Write("in/a.txt", "one\na\tb\nthree\n");
    files_.Write("out/a.txt", "older\n");
    form_.load();
    fake_.open_file_dialog.answers = {{in_, "a.txt", "gone.txt"}};
    form_.findChild<QPushButton*>("PushButton7")->click();
    form_.findChild<QComboBox*>("Combo1")->setCurrentIndex(3);  // tabs
    form_.findChild<QLineEdit*>("Text1")->setText(QString::fromStdString(out_));
  }

  // Opens the list's menu, picks the action with this text, and returns
  // the window it opened (if any).
  QDialog* Choose(const QString& text) {
    QTimer::singleShot(0, [text] {
      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      ASSERT_NE(menu, nullptr);
      for (QAction* action : menu->actions()) {
        if (action->text() == text) action->trigger();
      }
      menu->close();
    });
    const auto before = form_.findChildren<QDialog*>();
    FileListView* list = form_.controls().list;
    emit list->customContextMenuRequested(QPoint(5, 5));
    for (QDialog* dialog : form_.findChildren<QDialog*>()) {
      if (!before.contains(dialog)) return dialog;
    }
    return nullptr;
  }

  TempDir program_folder_;
  TempDir files_;
  std::string in_;
  std::string out_;
  FakeWindowServices fake_;
  MainWindow form_{fake_.services};
};

TEST_F(RunViewsTest, PreviewShowsTheChangedLinesAndWritesNothing) {
  form_.controls().list->setCurrentIndex(form_.controls().list->model()->index(0, 0));
  QDialog* preview = Choose("Preview changes");
  ASSERT_NE(preview, nullptr);
  EXPECT_EQ(preview->findChild<QLabel*>("summary")->text().toStdString(),
            in_ + "/a.txt\n1 change(s); 14 -> 13 bytes");
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

TEST(FirstChangedLinesTest, ShowsOnlyTheChangedStretch) {
  EXPECT_EQ(FirstChangedLines("a\nb\nc\n", "a\nb\nc\n", 10), "");
  EXPECT_EQ(FirstChangedLines("a\r\nb b\r\nc\r\n", "a\r\nbb\r\nc\r\n", 10),
            "@@ line 2 @@\n-b b\n+bb\n");
  EXPECT_EQ(FirstChangedLines("x\n\n\ny\n", "x\ny\n", 10), "@@ line 2 @@\n-\n-\n");
  EXPECT_EQ(FirstChangedLines("1\n2\n3\n", "4\n5\n6\n", 2), "@@ line 1 @@\n-1\n-2\n...\n");
}

}  // namespace
}  // namespace tarnwick
