// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// Helpers shared by the option dialogs' window tests: a fixture recording
// results, reports and messages, finding and clicking controls by name,
// typing into a box, mouse moves, the tab order, the screenshot, running
// code once a modal window is up, and the check that no top-level window is
// left behind.
#ifndef TARNWICK_TESTS_DIALOGS_DIALOG_TEST_SUPPORT_H_
#define TARNWICK_TESTS_DIALOGS_DIALOG_TEST_SUPPORT_H_

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include "batch/batch_host.h"
#include "tests/support/recording_messages.h"
#include "tests/support/recording_reporter.h"
#include "tests/support/temp_dir.h"
#include "ui/program_files.h"

namespace tarnwick::testing {

// The child of dialog named name; a missing one is a failure.
template <typename T>
T* Find(QWidget& dialog, const char* name) {
  T* widget = dialog.findChild<T*>(QString::fromLatin1(name));
  EXPECT_NE(widget, nullptr) << name;
  return widget;
}

// A left click on the button of dialog named name.
inline void Click(QWidget& dialog, const char* name) {
  QTest::mouseClick(Find<QAbstractButton>(dialog, name), Qt::LeftButton);
}

// The names of the controls Tab visits, starting at first.
inline std::vector<std::string> TabOrder(QWidget& dialog, QWidget* first) {
  std::vector<std::string> order;
  QWidget* widget = first;
  do {
    if ((widget->focusPolicy() & Qt::TabFocus) &&
        widget->isVisibleTo(&dialog)) {
      order.push_back(widget->objectName().toStdString());
    }
    widget = widget->nextInFocusChain();
  } while (widget != first);
  return order;
}

// The dialog's picture has its design size; it is saved as file_name in
// the folder TARNWICK_SCREENSHOT_DIR names, when set.
inline void ExpectScreenshot(QWidget& dialog, QSize design,
                             const char* file_name) {
  const QPixmap shot = dialog.grab();
  EXPECT_EQ(shot.size() / shot.devicePixelRatio(), design);
  const QByteArray folder = qgetenv("TARNWICK_SCREENSHOT_DIR");
  if (!folder.isEmpty()) {
    EXPECT_TRUE(shot.save(QString::fromLocal8Bit(folder) + "/" + file_name));
  }
}

// Types text into box key by key, pressing Enter for every "\n".
inline void Type(QPlainTextEdit* box, const QString& text) {
  for (const QChar ch : text) {
    if (ch == u'\n') {
      QTest::keyClick(box, Qt::Key_Return);
    } else if (ch.unicode() < 0x80) {
      QTest::keyClick(box, ch.toLatin1());
    } else {
      // Keys without a key code of their own arrive with their text only.
      QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(ch),
                          Qt::NoModifier);
    }
  }
}

// A mouse move without buttons over widget at pos (widget coordinates),
// delivered as the window system delivers it.
inline void MoveMouse(QWidget* widget, QPoint pos = QPoint(2, 2)) {
  QMouseEvent move(QEvent::MouseMove, QPointF(pos),
                   QPointF(widget->mapToGlobal(pos)), Qt::NoButton,
                   Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(widget, &move);
}

// A label sits at its design place and is at least its design width, wider
// only where its text needs it.
inline void ExpectLabelPlace(const QLabel& label, const QRect& design) {
  const QRect place = label.geometry();
  const std::string name = label.text().toStdString();
  EXPECT_EQ(place.topLeft(), design.topLeft()) << name;
  EXPECT_EQ(place.height(), design.height()) << name;
  EXPECT_GE(place.width(), design.width()) << name;
  EXPECT_GE(place.width(), label.fontMetrics().horizontalAdvance(label.text()))
      << name;
  if (place.width() > design.width()) {
    EXPECT_EQ(place.width(),
              label.fontMetrics().horizontalAdvance(label.text()))
        << name;
  }
}

// Runs action with the active modal window once the event loop runs (that
// is, inside a modal exec()).
inline void WhenModal(std::function<void(QWidget*)> action) {
  QTimer::singleShot(0, [action] {
    QWidget* modal = QApplication::activeModalWidget();
    ASSERT_NE(modal, nullptr) << "no modal window is up";
    action(modal);
  });
}

// Fixture that checks, after the test and its members are gone, that no
// top-level window was left behind.
class WindowTest : public ::testing::Test {
 protected:
  ~WindowTest() override {
    QApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    const QWidgetList left = QApplication::topLevelWidgets();
    for (QWidget* widget : left) {
      ADD_FAILURE() << "top-level window left behind: "
                    << widget->metaObject()->className() << " "
                    << widget->objectName().toStdString();
    }
  }
};

// Fixture for an option dialog: files beside the program come from a fresh
// folder, and the dialog's results, reports and messages are recorded.
class OptionDialogTest : public WindowTest {
 protected:
  OptionDialogTest() { SetProgramFolderForTesting(program_folder_.path()); }

  TempDir program_folder_;
  DialogResults results_;
  RecordingReporter reporter_;
  RecordingMessages messages_;
};

}  // namespace tarnwick::testing

#endif  // TARNWICK_TESTS_DIALOGS_DIALOG_TEST_SUPPORT_H_
