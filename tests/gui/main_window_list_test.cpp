// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// Filling the main window's list: "Add All File(s) In Folder", drops onto
// ListView1, "Load Sample/Example Files", and the list's mouse handling as
// wired to the window (busy state, pointer rule, drag pointer file).
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <functional>
#include <string>
#include <vector>

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QImage>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <QWindow>

#include "app/main_window.h"
#include "app/main_window_texts.h"
#include "app/start_up.h"
#include "core/settings_store.h"
#include "filelist/file_list_model.h"
#include "filelist/file_list_view.h"
#include "filelist/sample_files.h"
#include "tests/gui/fake_window_services.h"
#include "tests/support/temp_dir.h"
#include "ui/program_files.h"

namespace tarnwick {
namespace {

using testing::FakeWindowServices;
using testing::TempDir;
using Texts = std::vector<std::string>;

class MainWindowListTest : public ::testing::Test {
 protected:
  MainWindowListTest() {
    SetProgramFolderForTesting(program_folder_.path());
    // A journal of its own: no run is known to the window.
    qputenv("XDG_STATE_HOME", QByteArray::fromStdString(state_.path()));
    form_ = std::make_unique<MainWindow>(fake_.services);
    form_->load();
    form_->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(form_.get()));
    List()->hooks().screen_y = [] { return 330; };
  }

  FileListView* List() { return form_->controls().list; }
  FileListModel& Model() { return form_->fileList(); }
  QWidget* Surface() { return List()->viewport(); }
  QPoint At(int position) {
    return List()->visualRect(Model().index(position - 1, 0)).center();
  }
  void Move(QPoint where, Qt::MouseButtons buttons) {
    QMouseEvent move(QEvent::MouseMove, QPointF(where),
                     QPointF(Surface()->mapToGlobal(where)), Qt::NoButton, buttons,
                     Qt::NoModifier);
    QApplication::sendEvent(Surface(), &move);
  }

  // A tree with files the scan keeps and files it leaves out.
  void WriteTree() {
    tree_.Write("A/a1.txt", "a1");
    tree_.Write("A/notes.doc", "doc");
    tree_.Write("A/~skip.txt", "tilde");
    tree_.Write("A/.hidden.txt", "hidden, archive");
    const std::string read_only = tree_.Write("A/.kept.txt", "hidden, read-only");
    chmod(read_only.c_str(), 0444);
    tree_.Write("A/B/b1.txt", "b1");
    tree_.Write("A/C/c1.txt", "c1");
    tree_.Write("A/B/D/d1.txt", "d1");
  }
  std::string In(const std::string& relative) const { return tree_ / relative; }

  // Runs check the first time the window's event loop turns.
  void OnFirstYield(std::function<void()> check) {
    yield_check_ = std::move(check);
    yield_timer_.setSingleShot(true);
    QObject::connect(&yield_timer_, &QTimer::timeout, [this] {
      yield_check_();
      ++yield_checks_;
    });
    yield_timer_.start(0);
  }

  void Drop(const QList<QUrl>& urls) {
    QMimeData data;
    data.setUrls(urls);
    QDragEnterEvent enter(At(1), Qt::CopyAction, &data, Qt::LeftButton,
                          Qt::NoModifier);
    QApplication::sendEvent(Surface(), &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(At(1)), Qt::CopyAction, &data, Qt::LeftButton,
                    Qt::NoModifier);
    QApplication::sendEvent(Surface(), &drop);
  }
  static QUrl File(const std::string& path) {
    return QUrl::fromLocalFile(QString::fromStdString(path));
  }

  std::vector<std::string> WritesOf(const std::string& key) const {
    return fake_.settings.WritesOf(key);
  }
  void ClickAddAll() { form_->controls().add_folder->click(); }

  TempDir program_folder_;
  TempDir state_;
  TempDir tree_;
  FakeWindowServices fake_;
  std::unique_ptr<MainWindow> form_;
  QTimer yield_timer_;
  std::function<void()> yield_check_;
  int yield_checks_ = 0;
};

// --- "Add All File(s) In Folder" ---

TEST_F(MainWindowListTest, AddAllAsksTheExtensionAndTheFolderAndScansBreadthFirst) {
  WriteTree();
  fake_.prompts.answers = {"txt"};
  fake_.folder_picker.answer = In("A");
  ClickAddAll();

  ASSERT_EQ(fake_.prompts.inputs.size(), 1u);
  EXPECT_EQ(fake_.prompts.inputs[0].prompt,
            "Enter file extension to load:\r\r(* for all files, txt for all txt "
            "files, doc for all doc files, etc.)");
  EXPECT_EQ(fake_.prompts.inputs[0].title, ApplicationTitle());
  EXPECT_EQ(fake_.prompts.inputs[0].default_text, "*");
  ASSERT_EQ(fake_.folder_picker.calls.size(), 1u);
  EXPECT_EQ(fake_.folder_picker.calls[0].prompt, "Please select folder:");
  EXPECT_EQ(fake_.folder_picker.calls[0].start_folder, "");
  EXPECT_EQ(WritesOf(settings::kExtension), (Texts{"txt"}));
  EXPECT_EQ(WritesOf(settings::kLastFolder), (Texts{In("A")}));
  EXPECT_EQ(Model().entries(),
            (Texts{In("A/.kept.txt"), In("A/a1.txt"), In("A/B/b1.txt"),
                   In("A/C/c1.txt"), In("A/B/D/d1.txt")}));
  EXPECT_FALSE(form_->isBusy());
  EXPECT_TRUE(fake_.reporter.reports().empty());

  // The next time both prompts start from the saved answers, and the same
  // folder scanned again lists its files again.
  fake_.prompts.answers = {"doc"};
  ClickAddAll();
  EXPECT_EQ(fake_.prompts.inputs[1].default_text, "txt");
  EXPECT_EQ(fake_.folder_picker.calls[1].start_folder, In("A"));
  EXPECT_EQ(Model().Count(), 6);
  EXPECT_EQ(Model().At(6), In("A/notes.doc"));
}

TEST_F(MainWindowListTest, TheAnswerStandsAfterStarDotExactlyAsTyped) {
  tree_.Write("a.txt", "");
  tree_.Write("b..txt", "");
  tree_.Write("c.doc", "");
  tree_.Write("noext", "");
  struct Case {
    const char* answer;
    Texts names;
  };
  const Case cases[] = {
      {"*", {"a.txt", "b..txt", "c.doc", "noext"}},
      {"txt", {"a.txt", "b..txt"}},
      {".txt", {"b..txt"}},
      {"DOC", {"c.doc"}},
      {"txt;doc", {}},
  };
  fake_.folder_picker.answer = tree_.path();
  for (const Case& c : cases) {
    Model().clear();
    fake_.prompts.answers = {c.answer};
    ClickAddAll();
    Texts expected;
    for (const std::string& name : c.names) expected.push_back(In(name));
    EXPECT_EQ(Model().entries(), expected) << c.answer;
  }
}

TEST_F(MainWindowListTest, CancellingEitherPromptEndsTheCommand) {
  WriteTree();
  // The extension prompt cancelled (or answered with nothing).
  ClickAddAll();
  EXPECT_TRUE(fake_.folder_picker.calls.empty());
  EXPECT_TRUE(WritesOf(settings::kExtension).empty());
  EXPECT_TRUE(WritesOf(settings::kLastFolder).empty());

  // The folder picker cancelled: the extension stays saved.
  fake_.prompts.answers = {"txt"};
  fake_.folder_picker.answer = "";
  ClickAddAll();
  EXPECT_EQ(fake_.folder_picker.calls.size(), 1u);
  EXPECT_EQ(WritesOf(settings::kExtension), (Texts{"txt"}));
  EXPECT_TRUE(WritesOf(settings::kLastFolder).empty());
  EXPECT_EQ(Model().Count(), 0);
  EXPECT_FALSE(form_->isBusy());
}

TEST_F(MainWindowListTest, TheScanRunsInTheBusyStateWhereRemovalDoesNothing) {
  WriteTree();
  Model().appendAll({"/listed/one", "/listed/two"});
  List()->setCurrentIndex(Model().index(0, 0));
  fake_.prompts.answers = {"txt"};
  fake_.folder_picker.answer = In("A");
  bool busy_while_scanning = false;
  OnFirstYield([&] {
    busy_while_scanning = form_->isBusy();
    QTest::keyClick(List(), Qt::Key_Delete);
    QTest::mouseDClick(Surface(), Qt::LeftButton, Qt::NoModifier, At(1));
    form_->controls().clear_list->click();
  });
  ClickAddAll();
  EXPECT_EQ(yield_checks_, 1);
  EXPECT_TRUE(busy_while_scanning);
  EXPECT_FALSE(form_->isBusy());
  ASSERT_EQ(Model().Count(), 7);
  EXPECT_EQ(Model().At(1), "/listed/one");
  EXPECT_EQ(Model().At(3), In("A/.kept.txt"));

  List()->setCurrentIndex(Model().index(0, 0));
  QTest::keyClick(List(), Qt::Key_Delete);
  EXPECT_EQ(Model().At(1), "/listed/two");
}

TEST_F(MainWindowListTest, ClosingTheWindowDuringAScanEndsTheProgram) {
  WriteTree();
  fake_.prompts.answers = {"*"};
  fake_.folder_picker.answer = In("A");
  OnFirstYield([&] { form_->close(); });
  ClickAddAll();
  EXPECT_EQ(fake_.exits, 1);
}

// --- Drops ---

TEST_F(MainWindowListTest, DroppedFilesAreAppendedUnchangedInDropOrder) {
  WriteTree();
  Model().Append(In("A/a1.txt"));
  Drop({File(In("A/a1.txt")), File(In("A/~skip.txt")), File(In("A/.hidden.txt")),
        File(In("gone.txt"))});
  EXPECT_EQ(Model().entries(), (Texts{In("A/a1.txt"), In("A/a1.txt"),
                                      In("A/~skip.txt"), In("A/.hidden.txt"),
                                      In("gone.txt")}));
  EXPECT_TRUE(fake_.reporter.reports().empty());
}

TEST_F(MainWindowListTest, DroppedFoldersAreScannedForEveryFileInDropOrder) {
  WriteTree();
  tree_.Write("E/e1.txt", "e1");
  struct Case {
    const char* what;
    QList<QUrl> urls;
    Texts entries;
  };
  const Texts a_tree = {In("A/.kept.txt"), In("A/a1.txt"),    In("A/notes.doc"),
                        In("A/B/b1.txt"),  In("A/C/c1.txt"), In("A/B/D/d1.txt")};
  auto then = [](Texts first, const Texts& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
  };
  const Case cases[] = {
      {"one folder, breadth first", {File(In("A"))}, a_tree},
      {"a trailing separator", {QUrl::fromLocalFile(QString::fromStdString(In("A") + "/"))},
       a_tree},
      {"two folders", {File(In("E")), File(In("A/B"))},
       {In("E/e1.txt"), In("A/B/b1.txt"), In("A/B/D/d1.txt")}},
      {"a folder, then a file", {File(In("A/C")), File(In("E/e1.txt"))},
       {In("A/C/c1.txt"), In("E/e1.txt")}},
      {"a file, then a folder", {File(In("E/e1.txt")), File(In("A/C"))},
       {In("E/e1.txt"), In("A/C/c1.txt")}},
      {"the same folder twice", {File(In("E")), File(In("E"))},
       then({In("E/e1.txt")}, {In("E/e1.txt")})},
  };
  for (const Case& c : cases) {
    Model().clear();
    Drop(c.urls);
    EXPECT_EQ(Model().entries(), c.entries) << c.what;
  }
  EXPECT_TRUE(fake_.reporter.reports().empty());
}

TEST_F(MainWindowListTest, ADroppedFolderIsScannedWithoutTheBusyState) {
  WriteTree();
  bool busy = true;
  OnFirstYield([&] { busy = form_->isBusy(); });
  Drop({File(In("A"))});
  EXPECT_EQ(yield_checks_, 1);
  EXPECT_FALSE(busy);
  EXPECT_EQ(Model().Count(), 6);
}

TEST_F(MainWindowListTest, DraggedTextIsRefusedAndChangesNothing) {
  QMimeData text;
  text.setText(QString::fromStdString(program_folder_.path()));
  QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &text, Qt::LeftButton,
                        Qt::NoModifier);
  QApplication::sendEvent(Surface(), &enter);
  EXPECT_FALSE(enter.isAccepted());
  QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &text, Qt::LeftButton,
                  Qt::NoModifier);
  QApplication::sendEvent(Surface(), &drop);
  EXPECT_EQ(Model().Count(), 0);
}

// --- "Load Sample/Example Files" ---

TEST_F(MainWindowListTest, SamplesAreAppendedOnceAndTheQuestionComesEveryTime) {
  program_folder_.Write("Samples/a.txt", "a");
  program_folder_.Write("Samples/b.txt", "b");
  QPushButton* samples = form_->controls().load_samples;
  const std::string folder = program_folder_.path() + "/Samples/";

  samples->click();
  samples->click();
  EXPECT_EQ(Model().entries(), (Texts{folder + "a.txt", folder + "b.txt"}));
  EXPECT_EQ(fake_.prompts.questions,
            (Texts{kOpenSamplesQuestion, kOpenSamplesQuestion}));
  EXPECT_TRUE(fake_.folders.opened.empty());

  fake_.prompts.answer_yes = true;
  samples->click();
  EXPECT_EQ(Model().Count(), 2);
  EXPECT_EQ(fake_.prompts.questions.size(), 3u);
  EXPECT_EQ(fake_.folders.opened, (Texts{folder}));
  EXPECT_TRUE(fake_.urls.opened.empty());
  EXPECT_TRUE(fake_.reporter.reports().empty());
  EXPECT_TRUE(fake_.messages.shown.empty());

  // No file manager: the user is told, with the folder named.
  fake_.folders.can_open = false;
  samples->click();
  ASSERT_EQ(fake_.messages.shown.size(), 1u);
  EXPECT_NE(fake_.messages.shown[0].find("could not be opened"), std::string::npos);
  EXPECT_NE(fake_.messages.shown[0].find(folder), std::string::npos);
}

TEST_F(MainWindowListTest, WithoutASamplesFolderTheQuestionStillComes) {
  form_->controls().load_samples->click();
  EXPECT_EQ(Model().Count(), 0);
  EXPECT_EQ(fake_.prompts.questions.size(), 1u);
  EXPECT_TRUE(fake_.reporter.reports().empty());
}

// --- The list's mouse handling on the window ---

TEST_F(MainWindowListTest, ThePickedEntryShowsTheDragPointerFromBesideTheProgram) {
  Model().appendAll({"a", "b", "c"});
  List()->doItemsLayout();

  // No drag.ico: the list keeps its pointer, and dragging still reorders.
  QTest::mousePress(Surface(), Qt::LeftButton, Qt::NoModifier, At(1));
  EXPECT_NE(Surface()->cursor().shape(), Qt::BitmapCursor);
  Move(At(2), Qt::LeftButton);
  QTest::mouseRelease(Surface(), Qt::LeftButton, Qt::NoModifier, At(2));
  EXPECT_EQ(Model().entries(), (Texts{"b", "a", "c"}));

  QImage image(32, 32, QImage::Format_ARGB32);
  image.fill(Qt::red);
  ASSERT_TRUE(image.save(QString::fromStdString(program_folder_.path() +
                                                kDragCursorFile), "ICO"));
  QTest::mousePress(Surface(), Qt::LeftButton, Qt::NoModifier, At(2));
  EXPECT_EQ(Surface()->cursor().shape(), Qt::BitmapCursor);
  Move(At(3), Qt::LeftButton);
  QTest::mouseRelease(Surface(), Qt::LeftButton, Qt::NoModifier, At(3));
  EXPECT_EQ(Surface()->cursor().shape(), Qt::ArrowCursor);
  EXPECT_EQ(Model().entries(), (Texts{"b", "c", "a"}));
}

TEST_F(MainWindowListTest, MovingOverTheListRestoresTheWindowPointerUnlessBusy) {
  form_->setCursor(Qt::PointingHandCursor);
  Move(QPoint(5, 5), Qt::NoButton);
  EXPECT_EQ(form_->cursor().shape(), Qt::ArrowCursor);

  form_->SetBusy(true);
  Move(QPoint(5, 5), Qt::NoButton);
  EXPECT_EQ(form_->cursor().shape(), Qt::WaitCursor);
  form_->SetBusy(false);
}

TEST_F(MainWindowListTest, ReorderingWorksDuringAScan) {
  WriteTree();
  Model().appendAll({"a", "b"});
  List()->doItemsLayout();
  fake_.prompts.answers = {"doc"};
  fake_.folder_picker.answer = In("A");
  OnFirstYield([&] {
    QTest::mousePress(Surface(), Qt::LeftButton, Qt::NoModifier, At(1));
    Move(At(2), Qt::LeftButton);
    QTest::mouseRelease(Surface(), Qt::LeftButton, Qt::NoModifier, At(2));
  });
  ClickAddAll();
  EXPECT_EQ(Model().entries(), (Texts{"b", "a", In("A/notes.doc")}));
}

// Real mouse events through the window system: the right press opens the
// list's menu, which takes the release; after the menu closes (Escape or a
// command clicked) moves over the other entries leave the order alone.
TEST_F(MainWindowListTest, ARightClickAndTheListsMenuNeverReorder) {
  const Texts texts{"1", "2", "3", "4", "5", "6"};
  for (const bool by_command : {false, true}) {
    Model().clear();
    Model().appendAll(texts);
    List()->doItemsLayout();
    QWindow* window = form_->windowHandle();
    auto in_window = [&](int position) { return Surface()->mapTo(form_.get(), At(position)); };
    bool menu_seen = false;
    QTimer::singleShot(0, [&] {
      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      ASSERT_NE(menu, nullptr);
      menu_seen = true;
      // The menu takes the release (here just beside it, off its commands).
      QTest::mouseRelease(menu->windowHandle(), Qt::RightButton, {}, QPoint(-3, -3));
      ASSERT_TRUE(menu->isVisible());
      if (by_command) {
        QAction* report = menu->actions().at(1);
        QTest::mouseClick(menu->windowHandle(), Qt::LeftButton, {},
                          menu->actionGeometry(report).center());
      } else {
        QTest::keyClick(menu, Qt::Key_Escape);
      }
    });
    QTest::mousePress(window, Qt::RightButton, {}, in_window(1));
    EXPECT_TRUE(menu_seen) << by_command;
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    for (int position : {2, 3, 4, 5, 6}) QTest::mouseMove(window, in_window(position));
    EXPECT_EQ(Model().entries(), texts) << by_command;
    EXPECT_FALSE(List()->isDragging()) << by_command;
  }
  // The command clicked did run, and only it.
  EXPECT_EQ(fake_.messages.shown,
            std::vector<std::string>{"No run has finished since the program started."});
}

}  // namespace
}  // namespace tarnwick
