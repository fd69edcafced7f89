// Helpers shared by the option dialogs' window tests: a recording message
// sink, typing into a box, mouse moves, running code once a modal window is
// up, and the check that no top-level window is left behind.
#ifndef TARNWICK_TESTS_DIALOGS_DIALOG_TEST_SUPPORT_H_
#define TARNWICK_TESTS_DIALOGS_DIALOG_TEST_SUPPORT_H_

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include "dialogs/message_sink.h"

namespace tarnwick::testing {

class RecordingMessages : public MessageSink {
 public:
  void ShowMessage(const std::string& text) override {
    messages.push_back(text);
    if (fail) throw std::runtime_error("The message box failed");
  }
  std::vector<std::string> messages;
  bool fail = false;
};

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

}  // namespace tarnwick::testing

#endif  // TARNWICK_TESTS_DIALOGS_DIALOG_TEST_SUPPORT_H_
