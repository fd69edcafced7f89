// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "filelist/file_list_view.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <QApplication>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPixmap>
#include <QScrollBar>
#include <QTest>
#include <QUrl>

#include "filelist/file_list_model.h"

namespace tarnwick {
namespace {

using Texts = std::vector<std::string>;

// A shown list with mouse helpers that act on entry positions (1-based).
class FileListViewTest : public ::testing::Test {
 protected:
  FileListViewTest() : view_(&model_) {
    view_.resize(300, 160);
    view_.hooks().screen_y = [this] { return screen_y_; };
    view_.hooks().is_busy = [this] { return busy_; };
    view_.hooks().pointer_moved = [this] { ++pointer_moves_; };
    view_.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&view_));
  }

  void Fill(const Texts& texts) {
    model_.appendAll(texts);
    view_.doItemsLayout();
    QApplication::processEvents();  // the scroll bar takes the new range
  }
  QWidget* Surface() { return view_.viewport(); }
  QPoint At(int position) {
    return view_.visualRect(model_.index(position - 1, 0)).center();
  }
  QPoint BelowLastEntry() {
    return QPoint(10, Surface()->height() - 3);
  }
  void Press(QPoint where, Qt::MouseButton button = Qt::LeftButton) {
    QTest::mousePress(Surface(), button, Qt::NoModifier, where);
  }
  void Release(QPoint where, Qt::MouseButton button = Qt::LeftButton) {
    QTest::mouseRelease(Surface(), button, Qt::NoModifier, where);
  }
  // Sent directly, so that the buttons held are exactly the given ones.
  void Move(QPoint where, Qt::MouseButtons buttons = Qt::LeftButton) {
    QMouseEvent move(QEvent::MouseMove, QPointF(where),
                     QPointF(Surface()->mapToGlobal(where)), Qt::NoButton, buttons,
                     Qt::NoModifier);
    QApplication::sendEvent(Surface(), &move);
  }
  void PressEntry(int position) { Press(At(position)); }
  void MoveOver(std::initializer_list<int> positions,
                Qt::MouseButtons buttons = Qt::LeftButton) {
    for (int position : positions) Move(At(position), buttons);
  }
  void DoubleClick(QPoint where) {
    QTest::mouseDClick(Surface(), Qt::LeftButton, Qt::NoModifier, where);
  }
  void Select(int position) {
    view_.setCurrentIndex(model_.index(position - 1, 0));
  }

  FileListModel model_;
  FileListView view_;
  int screen_y_ = 330;  // inside the band: no scrolling
  bool busy_ = false;
  int pointer_moves_ = 0;
};

// --- Reordering ---

TEST_F(FileListViewTest, DraggingDownAcrossNeighboursCarriesThePickedEntry) {
  Fill({"a", "b", "c", "d"});
  PressEntry(1);
  MoveOver({1, 2, 3, 4});
  EXPECT_EQ(model_.entries(), (Texts{"b", "c", "d", "a"}));
  EXPECT_EQ(view_.selectedPosition(), 4);
  EXPECT_EQ(view_.dragEntryPosition(), 4);
  Release(At(4));
  EXPECT_FALSE(view_.isDragging());
  EXPECT_EQ(model_.entries(), (Texts{"b", "c", "d", "a"}));
}

TEST_F(FileListViewTest, AJumpExchangesOnlyTheTwoEntries) {
  Fill({"a", "b", "c", "d"});
  PressEntry(1);
  MoveOver({4});
  EXPECT_EQ(model_.entries(), (Texts{"d", "b", "c", "a"}));
  EXPECT_EQ(view_.selectedPosition(), 4);
  // And back up again.
  MoveOver({2});
  EXPECT_EQ(model_.entries(), (Texts{"d", "a", "c", "b"}));
  EXPECT_EQ(view_.selectedPosition(), 2);
}

TEST_F(FileListViewTest, AnEntryWithAnEqualTextIsPassedOver) {
  Fill({"x", "y", "x", "z"});
  PressEntry(1);
  MoveOver({3});
  EXPECT_EQ(model_.entries(), (Texts{"x", "y", "x", "z"}));
  EXPECT_EQ(view_.dragEntryPosition(), 1);
  EXPECT_EQ(view_.selectedPosition(), 1);
  MoveOver({4});  // the picked entry still travels from where it is
  EXPECT_EQ(model_.entries(), (Texts{"z", "y", "x", "x"}));
}

TEST_F(FileListViewTest, AfterTheReleaseMovesChangeNothing) {
  Fill({"a", "b", "c", "d"});
  PressEntry(1);
  MoveOver({2});
  Release(At(2));
  MoveOver({3, 4}, Qt::NoButton);
  EXPECT_EQ(model_.entries(), (Texts{"b", "a", "c", "d"}));
  EXPECT_EQ(view_.viewport()->cursor().shape(), Qt::ArrowCursor);
}

// However dragging ends, later moves without the left button held change
// nothing until the next left press.
TEST_F(FileListViewTest, EveryWayOfLettingGoEndsDragging) {
  struct Case {
    const char* what;
    std::function<void()> let_go;
  };
  const Case cases[] = {
      {"the button let go over another window (a move without it)",
       [this] { Move(At(3), Qt::NoButton); }},
      {"a release of another button",
       [this] { Release(At(2), Qt::RightButton); }},
      {"a press of another button",
       [this] { Press(At(2), Qt::MiddleButton); }},
      {"a menu asked for over the list",
       [this] {
         QContextMenuEvent menu(QContextMenuEvent::Mouse, At(2));
         QApplication::sendEvent(Surface(), &menu);
       }},
      {"the list losing focus",
       [this] {
         QFocusEvent out(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
         QApplication::sendEvent(&view_, &out);
       }},
  };
  for (const Case& c : cases) {
    model_.clear();
    Fill({"a", "b", "c", "d"});
    PressEntry(1);
    MoveOver({2});
    ASSERT_TRUE(view_.isDragging()) << c.what;
    c.let_go();
    EXPECT_FALSE(view_.isDragging()) << c.what;
    MoveOver({3, 4}, Qt::NoButton);
    EXPECT_EQ(model_.entries(), (Texts{"b", "a", "c", "d"})) << c.what;
    EXPECT_EQ(view_.viewport()->cursor().shape(), Qt::ArrowCursor) << c.what;
  }
}

TEST_F(FileListViewTest, BeforeAnyEntryWasPickedNothingMoves) {
  Fill({"a", "b", "c", "d"});
  Press(BelowLastEntry());
  EXPECT_TRUE(view_.isDragging());
  EXPECT_EQ(view_.dragEntryPosition(), 0);
  MoveOver({1, 2, 3, 4});
  EXPECT_EQ(model_.entries(), (Texts{"a", "b", "c", "d"}));
}

TEST_F(FileListViewTest, APressBesideTheEntriesCarriesTheLastPickedEntry) {
  Fill({"a", "b", "c", "d"});
  PressEntry(1);
  Release(At(1));
  Press(BelowLastEntry());
  MoveOver({3});
  EXPECT_EQ(model_.entries(), (Texts{"c", "b", "a", "d"}));
}

TEST_F(FileListViewTest, OnlyTheLeftButtonDragsAndEveryMoveRunsThePointerRule) {
  Fill({"a", "b"});
  Move(At(1), Qt::NoButton);
  EXPECT_EQ(pointer_moves_, 1);
  for (const Qt::MouseButton button : {Qt::RightButton, Qt::MiddleButton}) {
    Press(At(1), button);
    EXPECT_FALSE(view_.isDragging()) << button;
    MoveOver({2}, button);
    EXPECT_EQ(model_.entries(), (Texts{"a", "b"})) << button;
    Release(At(2), button);
  }
  EXPECT_EQ(pointer_moves_, 3);
  // Nor does another button pick the entry a later left press beside the
  // entries would carry.
  Press(At(2), Qt::RightButton);
  Release(At(2), Qt::RightButton);
  EXPECT_EQ(view_.dragEntryPosition(), 0);
  Press(At(1));
  EXPECT_TRUE(view_.isDragging());
  MoveOver({2});
  EXPECT_EQ(model_.entries(), (Texts{"b", "a"}));
}

TEST_F(FileListViewTest, APickedEntryThatLeftTheListCountsAsNone) {
  Fill({"a", "b", "c", "d"});
  PressEntry(2);
  Release(At(2));
  ASSERT_TRUE(view_.removeSelected());  // b goes
  EXPECT_EQ(view_.dragEntryPosition(), 0);
  Press(BelowLastEntry());
  MoveOver({1, 2, 3});
  EXPECT_EQ(model_.entries(), (Texts{"a", "c", "d"}));

  // Cleared and filled again: the old pick does not come back.
  PressEntry(1);
  Release(At(1));
  model_.clear();
  Fill({"p", "q"});
  Press(BelowLastEntry());
  MoveOver({1, 2});
  EXPECT_EQ(model_.entries(), (Texts{"p", "q"}));
}

TEST_F(FileListViewTest, APickedEntryFollowsWhenAnEarlierEntryIsRemoved) {
  Fill({"a", "b", "c", "d"});
  PressEntry(3);
  Release(At(3));
  model_.removeAt(1);
  EXPECT_EQ(view_.dragEntryPosition(), 2);
  Press(BelowLastEntry());
  MoveOver({3});
  EXPECT_EQ(model_.entries(), (Texts{"b", "d", "c"}));
}

TEST_F(FileListViewTest, PickingShowsTheDragPointerWhenItLoads) {
  Fill({"a", "b"});
  view_.hooks().drag_pointer = [] { return std::optional<QCursor>(QCursor(QPixmap(16, 16))); };
  PressEntry(1);
  EXPECT_EQ(view_.viewport()->cursor().shape(), Qt::BitmapCursor);
  Release(At(1));
  EXPECT_EQ(view_.viewport()->cursor().shape(), Qt::ArrowCursor);

  // Without an image the list keeps its pointer and still reorders.
  view_.viewport()->setCursor(Qt::IBeamCursor);
  view_.hooks().drag_pointer = [] { return std::optional<QCursor>(); };
  PressEntry(1);
  EXPECT_EQ(view_.viewport()->cursor().shape(), Qt::IBeamCursor);
  MoveOver({2});
  EXPECT_EQ(model_.entries(), (Texts{"b", "a"}));
}

TEST_F(FileListViewTest, TheViewNeverStartsADragOfItsOwnEntries) {
  EXPECT_FALSE(view_.dragEnabled());
  EXPECT_TRUE(view_.viewport()->acceptDrops());
  EXPECT_TRUE(view_.viewport()->hasMouseTracking());
}

// The band 305 to 364 of screen rows: an exchange above it shows the entry
// before, below it the entry after; inside it nothing scrolls.
TEST_F(FileListViewTest, AnExchangeScrollsOneEntryAheadOutsideTheBand) {
  Texts texts;
  for (int i = 1; i <= 40; ++i) texts.push_back("entry " + std::to_string(i));
  struct Case {
    int screen_y;
    bool upwards;
    bool scrolls;
  };
  const Case cases[] = {
      {304, true, true},   {305, true, false},  {364, true, false},
      {364, false, false}, {365, false, true},  {305, false, false},
  };
  Fill(texts);
  for (const Case& c : cases) {
    QScrollBar* bar = view_.verticalScrollBar();
    bar->setValue(c.upwards ? 10 : 0);
    // The first and the last entry shown in full.
    int top = 0, bottom = 0;
    for (int position = 1; position <= model_.Count(); ++position) {
      if (!Surface()->rect().contains(view_.visualRect(model_.index(position - 1, 0)))) {
        continue;
      }
      if (top == 0) top = position;
      bottom = position;
    }
    ASSERT_GT(top, c.upwards ? 1 : 0);
    ASSERT_LT(top + 1, bottom);
    ASSERT_LT(bottom, model_.Count());
    // Carry an entry onto the first (upwards) or last (downwards) of them.
    const int from = c.upwards ? top + 1 : bottom - 1;
    const int to = c.upwards ? top : bottom;
    screen_y_ = c.screen_y;
    const int before = bar->value();
    const std::string picked = model_.At(from);
    PressEntry(from);
    MoveOver({to});
    Release(At(to));
    EXPECT_EQ(model_.At(to), picked) << c.screen_y;
    const QModelIndex ahead = model_.index(c.upwards ? to - 2 : to, 0);
    if (c.scrolls) {
      EXPECT_NE(bar->value(), before) << c.screen_y;
      EXPECT_TRUE(Surface()->rect().contains(view_.visualRect(ahead))) << c.screen_y;
    } else {
      EXPECT_EQ(bar->value(), before) << c.screen_y;
    }
  }
}

TEST_F(FileListViewTest, NoScrollingPastTheFirstOrTheLastEntry) {
  Fill({"a", "b", "c"});
  screen_y_ = 304;
  PressEntry(2);
  MoveOver({1});
  Release(At(1));
  screen_y_ = 365;
  PressEntry(2);
  MoveOver({3});
  Release(At(3));
  EXPECT_EQ(model_.entries(), (Texts{"b", "c", "a"}));
  EXPECT_EQ(view_.verticalScrollBar()->value(), 0);
}

// --- Removing ---

TEST_F(FileListViewTest, DeleteRemovesTheSelectedEntryWhateverModifiersAreHeld) {
  const Qt::KeyboardModifiers modifiers[] = {Qt::NoModifier, Qt::ShiftModifier,
                                             Qt::ControlModifier, Qt::AltModifier};
  for (const Qt::KeyboardModifiers held : modifiers) {
    model_.clear();
    Fill({"first", "second", "third"});
    Select(2);
    QTest::keyClick(&view_, Qt::Key_Delete, held);
    EXPECT_EQ(model_.entries(), (Texts{"first", "third"})) << held;
  }
}

TEST_F(FileListViewTest, OnePressRemovesExactlyOneEntry) {
  Fill({"a", "b", "c", "d"});
  Select(2);
  QTest::keyClick(&view_, Qt::Key_Delete);
  EXPECT_EQ(model_.entries(), (Texts{"a", "c", "d"}));
  Select(2);
  QTest::keyClick(&view_, Qt::Key_Delete);
  EXPECT_EQ(model_.entries(), (Texts{"a", "d"}));
}

TEST_F(FileListViewTest, DoubleClickRemovesTheEntryDoubleClicked) {
  Fill({"a", "b", "c"});
  PressEntry(2);
  Release(At(2));
  DoubleClick(At(2));
  EXPECT_EQ(model_.entries(), (Texts{"a", "c"}));
}

TEST_F(FileListViewTest, DoubleClickOnEmptySpaceRemovesWhateverIsSelected) {
  Fill({"a", "b", "c"});
  Select(3);
  DoubleClick(BelowLastEntry());
  EXPECT_EQ(model_.entries(), (Texts{"a", "b"}));
}

TEST_F(FileListViewTest, NothingIsRemovedWhenBusyEmptyOrNothingSelected) {
  // Empty list.
  QTest::keyClick(&view_, Qt::Key_Delete);
  DoubleClick(BelowLastEntry());
  EXPECT_EQ(model_.Count(), 0);

  // Busy.
  Fill({"a", "b", "c"});
  Select(2);
  busy_ = true;
  QTest::keyClick(&view_, Qt::Key_Delete);
  DoubleClick(At(2));
  EXPECT_EQ(model_.entries(), (Texts{"a", "b", "c"}));
  busy_ = false;
  QTest::keyClick(&view_, Qt::Key_Delete);
  EXPECT_EQ(model_.Count(), 2);

  // Nothing selected.
  view_.clearSelection();
  EXPECT_EQ(view_.selectedPosition(), 0);
  QTest::keyClick(&view_, Qt::Key_Delete);
  EXPECT_EQ(model_.Count(), 2);
}

TEST_F(FileListViewTest, OtherKeysRemoveNothing) {
  Fill({"a", "b", "c"});
  Select(2);
  for (const Qt::Key key : {Qt::Key_Backspace, Qt::Key_Space, Qt::Key_X, Qt::Key_Down}) {
    QTest::keyClick(&view_, key);
  }
  EXPECT_EQ(model_.Count(), 3);
}

// --- Drops ---

TEST(FileListViewDropDataTest, DroppedPathsAreTheLocalFilesInOrder) {
  struct Case {
    const char* what;
    QList<QUrl> urls;
    Texts paths;
  };
  const Case cases[] = {
      {"files as the file manager gives them",
       {QUrl::fromLocalFile("/d/a.txt"), QUrl::fromLocalFile("/d/~b.txt")},
       {"/d/a.txt", "/d/~b.txt"}},
      {"a folder and the root", {QUrl::fromLocalFile("/d/sub"), QUrl("file:///")},
       {"/d/sub", "/"}},
      {"names in other scripts and with blanks",
       {QUrl::fromLocalFile(QString::fromUtf8("/d/Ärger файл.txt"))},
       {"/d/\xC3\x84rger \xD1\x84\xD0\xB0\xD0\xB9\xD0\xBB.txt"}},
      {"a byte that is not UTF-8 survives", {QUrl("file:///d/x%FF.txt")},
       {"/d/x\xFF.txt"}},
      {"addresses that are not local files are left out",
       {QUrl("https://example.com/a.txt"), QUrl::fromLocalFile("/d/c.txt")},
       {"/d/c.txt"}},
  };
  for (const Case& c : cases) {
    QMimeData data;
    data.setUrls(c.urls);
    EXPECT_EQ(FileListView::droppedPaths(&data), c.paths) << c.what;
  }
  QMimeData text;
  text.setText("/d/a.txt");
  EXPECT_TRUE(FileListView::droppedPaths(&text).empty());
  EXPECT_TRUE(FileListView::droppedPaths(nullptr).empty());
}

TEST_F(FileListViewTest, OnlyDragsOfLocalFilesAreAcceptedAndDelivered) {
  std::vector<Texts> delivered;
  view_.hooks().paths_dropped = [&](const Texts& paths) { delivered.push_back(paths); };
  const QPoint where = At(1);

  QMimeData text;
  text.setText("just text");
  QDragEnterEvent enter_text(where, Qt::CopyAction | Qt::MoveAction, &text,
                             Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(Surface(), &enter_text);
  EXPECT_FALSE(enter_text.isAccepted());
  QDragMoveEvent move_text(where, Qt::CopyAction, &text, Qt::LeftButton,
                           Qt::NoModifier);
  QApplication::sendEvent(Surface(), &move_text);
  EXPECT_FALSE(move_text.isAccepted());
  QDropEvent drop_text(QPointF(where), Qt::CopyAction, &text, Qt::LeftButton,
                       Qt::NoModifier);
  QApplication::sendEvent(Surface(), &drop_text);
  EXPECT_TRUE(delivered.empty());

  QMimeData web;
  web.setUrls({QUrl("https://example.com/")});
  QDragEnterEvent enter_web(where, Qt::CopyAction, &web, Qt::LeftButton,
                            Qt::NoModifier);
  QApplication::sendEvent(Surface(), &enter_web);
  EXPECT_FALSE(enter_web.isAccepted());

  QMimeData files;
  files.setUrls({QUrl::fromLocalFile("/d/a.txt"), QUrl::fromLocalFile("/d/b")});
  // Accepted as a copy, so that a source offering a move keeps its files.
  QDragEnterEvent enter_files(where, Qt::CopyAction | Qt::MoveAction, &files,
                              Qt::LeftButton, Qt::NoModifier);
  enter_files.setDropAction(Qt::MoveAction);
  QApplication::sendEvent(Surface(), &enter_files);
  EXPECT_TRUE(enter_files.isAccepted());
  EXPECT_EQ(enter_files.dropAction(), Qt::CopyAction);
  QDropEvent drop_files(QPointF(where), Qt::CopyAction | Qt::MoveAction, &files,
                        Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(Surface(), &drop_files);
  EXPECT_TRUE(drop_files.isAccepted());
  ASSERT_EQ(delivered.size(), 1u);
  EXPECT_EQ(delivered[0], (Texts{"/d/a.txt", "/d/b"}));
}

}  // namespace
}  // namespace tarnwick
