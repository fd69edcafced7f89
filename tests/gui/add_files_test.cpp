// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "filelist/add_files.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <QAbstractItemView>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include "app/qt_window_services.h"
#include "tests/support/temp_dir.h"

namespace tarnwick {
namespace {

using testing::TempDir;

TEST(PlanAddFilesTest, MapsTheDialogsAnswerOntoEntries) {
  struct Case {
    std::vector<std::string> parts;
    AddFilesOutcome outcome;
    std::vector<std::string> entries;
  };
  const Case cases[] = {
      {{}, AddFilesOutcome::kCancelled, {}},
      {{""}, AddFilesOutcome::kCancelled, {}},
      {{"/data/a.txt"}, AddFilesOutcome::kAdded, {"/data/a.txt"}},
      {{"/data//a.txt"}, AddFilesOutcome::kAdded, {"/data//a.txt"}},  // unchanged
      {{"/data", "a.txt", "b.txt"}, AddFilesOutcome::kAdded,
       {"/data/a.txt", "/data/b.txt"}},
      {{"/data", "b.txt", "a.txt"}, AddFilesOutcome::kAdded,
       {"/data/b.txt", "/data/a.txt"}},
      {{"/", "a.txt", "b.txt"}, AddFilesOutcome::kAdded, {"/a.txt", "/b.txt"}},
      {{"/data/", "a.txt", "a.txt"}, AddFilesOutcome::kAdded,
       {"/data/a.txt", "/data/a.txt"}},
  };
  for (const Case& c : cases) {
    const AddFilesPlan plan = PlanAddFiles(c.parts);
    EXPECT_EQ(plan.outcome, c.outcome);
    EXPECT_EQ(plan.entries, c.entries);
  }
}

TEST(PlanAddFilesTest, SelectionMustFitTheBuffer) {
  // folder (2) NUL + n names (8) NUL: exactly 30000 fits, one more does not.
  std::vector<std::string> parts{"/d"};
  while (SelectionBufferLength(parts) < kOpenFileBufferSize) {
    parts.push_back("name.txt");
  }
  ASSERT_EQ(SelectionBufferLength(parts), 30000u);
  EXPECT_EQ(PlanAddFiles(parts).outcome, AddFilesOutcome::kAdded);
  EXPECT_EQ(PlanAddFiles(parts).entries.size(), parts.size() - 1);
  parts.back() += "x";
  const AddFilesPlan too_many = PlanAddFiles(parts);
  EXPECT_EQ(too_many.outcome, AddFilesOutcome::kTooMany);
  EXPECT_TRUE(too_many.entries.empty());
  EXPECT_EQ(PlanAddFiles({std::string(30000, 'a')}).outcome, AddFilesOutcome::kTooMany);
  EXPECT_EQ(PlanAddFiles({std::string(29999, 'a')}).outcome, AddFilesOutcome::kAdded);
}

TEST(PlanAddFilesTest, BufferCountsCharactersNotBytes) {
  EXPECT_EQ(SelectionBufferLength({"/d", "\xC3\xA9.txt"}), 3u + 6u);  // é is one
  EXPECT_EQ(SelectionBufferLength({"\xF0\x9F\x98\x80"}), 3u);  // two 16-bit units
}

// Scripts the real dialog: types a line into its name box and confirms.
void TypeAndAccept(const QString& typed, QString* title, QStringList* filters) {
  QTimer::singleShot(0, [=] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    *title = dialog->windowTitle();
    *filters = dialog->nameFilters();
    auto* name_box = dialog->findChild<QLineEdit*>("fileNameEdit");
    ASSERT_NE(name_box, nullptr);
    // Typing happens in the focused name box, which keeps the typed text
    // when the dialog selects the listed files among the names.
    QApplication::setActiveWindow(dialog);
    name_box->setFocus();
    name_box->setText(typed);
    QMetaObject::invokeMethod(dialog, "accept");
  });
}

TEST(QtOpenFileDialogTest, SeveralNamesMayBeTypedEvenWhenMissing) {
  TempDir dir;
  dir.Write("a.txt", "a");
  QtOpenFileDialog dialog;
  QString title;
  QStringList filters;
  TypeAndAccept(QString::fromStdString("\"" + dir.path() + "/a.txt\" \"" +
                                       dir.path() + "/missing.txt\""),
                &title, &filters);
  const auto parts = dialog.GetOpenFileNames(
      nullptr, {"Add File(s) - Hold Ctrl to select multiple files", "All Files (*)"});
  EXPECT_EQ(title, "Add File(s) - Hold Ctrl to select multiple files");
  EXPECT_EQ(filters, QStringList{"All Files (*)"});
  ASSERT_EQ(parts.size(), 3u);
  const AddFilesPlan plan = PlanAddFiles(parts);
  EXPECT_EQ(plan.entries, (std::vector<std::string>{dir / "a.txt", dir / "missing.txt"}));
}

TEST(QtOpenFileDialogTest, OneTypedMissingNameComesBackAsItsFullPath) {
  TempDir dir;
  QtOpenFileDialog dialog;
  QString title;
  QStringList filters;
  TypeAndAccept(QString::fromStdString(dir / "new.txt"), &title, &filters);
  EXPECT_EQ(dialog.GetOpenFileNames(nullptr, {"t", "All Files (*)"}),
            std::vector<std::string>{dir / "new.txt"});
}

// A selection longer than the name box holds: every picked file comes back
// (and is then too many for the buffer), none cut, none broken.
TEST(QtOpenFileDialogTest, EveryPickedFileComesBackHoweverMany) {
  TempDir dir;
  constexpr int kCount = 4000;
  for (int i = 0; i < kCount; ++i) {
    dir.Write(QString("m%1.txt").arg(i, 4, 10, QChar('0')).toStdString(), "");
  }
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    dialog->setDirectory(QString::fromStdString(dir.path()));
    auto* list = dialog->findChild<QAbstractItemView*>("listView");
    ASSERT_NE(list, nullptr);
    auto select_all_when_listed = [=](auto&& self) -> void {
      if (list->model()->rowCount(list->rootIndex()) < kCount) {
        QTimer::singleShot(20, [=] { self(self); });
        return;
      }
      list->setFocus();
      list->selectAll();
      // The dialog writes the picked names into its name box, quoted, where
      // it can (not on every platform plugin): write them as it does.
      auto* name_box = dialog->findChild<QLineEdit*>("fileNameEdit");
      ASSERT_NE(name_box, nullptr);
      QStringList quoted;
      for (int i = 0; i < kCount; ++i) {
        quoted << QString("\"m%1.txt\"").arg(i, 4, 10, QChar('0'));
      }
      const QSignalBlocker quiet(name_box);  // the selection stands as it is
      name_box->setText(quoted.join(' '));
      ASSERT_LT(name_box->text().size(), quoted.join(' ').size());  // cut
      QMetaObject::invokeMethod(dialog, "accept");
    };
    select_all_when_listed(select_all_when_listed);
  });
  QtOpenFileDialog dialog;
  const auto parts = dialog.GetOpenFileNames(nullptr, {"t", "All Files (*)"});
  ASSERT_EQ(parts.size(), kCount + 1u);
  EXPECT_EQ(parts.front(), dir.path());
  std::vector<std::string> names(parts.begin() + 1, parts.end());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names.front(), "m0000.txt");
  EXPECT_EQ(names.back(), "m3999.txt");
  EXPECT_EQ(PlanAddFiles(parts).outcome, AddFilesOutcome::kTooMany);
}

// Names typed into the name box one key at a time, while the dialog lists
// the folder sorted either way: every typed name comes back, listed or not,
// in the order typed; also when the list's selection, which the dialog
// keeps in step with the typing, lacks one of the listed names.
TEST(QtOpenFileDialogTest, TypedNamesComeBackWhateverTheSortOrder) {
  struct Case {
    const char* what;
    Qt::SortOrder order;
    bool selection_lacks_c;
  };
  const Case cases[] = {
      {"A to Z", Qt::AscendingOrder, false},
      {"Z to A", Qt::DescendingOrder, false},
      {"A to Z, c not selected", Qt::AscendingOrder, true},
      {"Z to A, c not selected", Qt::DescendingOrder, true},
  };
  for (const Case& c : cases) {
    TempDir dir;
    for (const char* name : {"a.txt", "b.txt", "c.txt", "d.txt"}) dir.Write(name, name);
    QTimer::singleShot(0, [&] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      ASSERT_NE(dialog, nullptr);
      dialog->setDirectory(QString::fromStdString(dir.path()));
      auto* details = dialog->findChild<QTreeView*>("treeView");
      auto* list = dialog->findChild<QAbstractItemView*>("listView");
      ASSERT_NE(details, nullptr);
      ASSERT_NE(list, nullptr);
      details->sortByColumn(0, c.order);
      auto type_when_listed = [=](auto&& self) -> void {
        if (list->model()->rowCount(list->rootIndex()) < 4) {
          QTimer::singleShot(20, [=] { self(self); });
          return;
        }
        auto* name_box = dialog->findChild<QLineEdit*>("fileNameEdit");
        ASSERT_NE(name_box, nullptr);
        QApplication::setActiveWindow(dialog);
        name_box->setFocus();
        for (const char key : std::string("\"b.txt\" \"c.txt\" \"gone.txt\"")) {
          QTest::keyClick(dialog->windowHandle(), key);
        }
        if (c.selection_lacks_c) {
          for (const QModelIndex& row : list->selectionModel()->selectedRows()) {
            if (row.data().toString() == "c.txt") {
              list->selectionModel()->select(
                  row, QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
            }
          }
        }
        QTest::keyClick(dialog->windowHandle(), Qt::Key_Return);
      };
      type_when_listed(type_when_listed);
    });
    QtOpenFileDialog dialog;
    const auto parts = dialog.GetOpenFileNames(nullptr, {"t", "All Files (*)"});
    EXPECT_EQ(parts, (std::vector<std::string>{dir.path(), "b.txt", "c.txt", "gone.txt"}))
        << c.what;
  }
}

TEST(NamesInNameBoxTest, ReadsOneNameOrSeveralInQuotes) {
  EXPECT_EQ(NamesInNameBox(""), QStringList());
  EXPECT_EQ(NamesInNameBox("a b.txt"), QStringList{"a b.txt"});
  EXPECT_EQ(NamesInNameBox("\"a.txt\" \"b c.txt\""), (QStringList{"a.txt", "b c.txt"}));
  EXPECT_EQ(NamesInNameBox("\"a.txt\" \"\""), QStringList{"a.txt"});
  EXPECT_EQ(NamesInNameBox("\"a.txt\" \"m27"), QStringList{"a.txt"});  // cut
}

TEST(SelectionPartsTest, GivesTheFolderAndTheNames) {
  EXPECT_TRUE(SelectionParts("/d", {}).empty());
  EXPECT_EQ(SelectionParts("/d", {"/d/a"}), std::vector<std::string>{"/d/a"});
  EXPECT_EQ(SelectionParts("/d", {"/d/a", "/d/b"}),
            (std::vector<std::string>{"/d", "a", "b"}));
  EXPECT_EQ(SelectionParts("/", {"/a", "/b"}),
            (std::vector<std::string>{"/", "a", "b"}));
  EXPECT_EQ(SelectionParts("/shown", {"/d/a", "/d/b"}),
            (std::vector<std::string>{"/d", "a", "b"}));
  EXPECT_EQ(SelectionParts("/d", {"/d/a", "/d/e/b"}),
            (std::vector<std::string>{"/d", "a", "e/b"}));
}

}  // namespace
}  // namespace tarnwick
