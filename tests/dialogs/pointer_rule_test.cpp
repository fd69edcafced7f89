// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "dialogs/pointer_rule.h"

#include <gtest/gtest.h>

#include <QGroupBox>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

#include "tests/dialogs/dialog_test_support.h"

namespace tarnwick {
namespace {

using testing::MoveMouse;

// A window with a push button and a label on it, and a frame holding a
// second push button and a check box.
class PointerRuleTest : public testing::WindowTest {
 protected:
  PointerRuleTest()
      : rule_(new PointerRule(&window_)),
        button_(new QPushButton("Go", &window_)),
        label_(new QLabel("Label", &window_)),
        frame_(new QGroupBox("Frame", &window_)),
        framed_button_(new QPushButton("In frame", frame_)),
        framed_label_(new QLabel("In frame", frame_)) {
    window_.resize(300, 200);
    button_->setGeometry(10, 10, 80, 25);
    label_->setGeometry(100, 10, 80, 25);
    frame_->setGeometry(10, 60, 280, 120);
    framed_button_->setGeometry(10, 30, 80, 25);
    framed_label_->setGeometry(100, 30, 80, 25);
    rule_->addSurface(&window_);
    rule_->addSurface(frame_);
    rule_->addPushButton(button_);
    rule_->addPushButton(framed_button_);
  }

  static QCursor Hand() {
    QPixmap image(16, 16);
    image.fill(Qt::red);
    return QCursor(image, 0, 0);
  }

  Qt::CursorShape Shape() const { return window_.cursor().shape(); }

  QWidget window_;
  PointerRule* rule_;
  QPushButton* button_;
  QLabel* label_;
  QGroupBox* frame_;
  QPushButton* framed_button_;
  QLabel* framed_label_;
};

TEST_F(PointerRuleTest, HandOverPushButtonsStandardOverSurfaceAndFrames) {
  rule_->setHandCursor(Hand());
  EXPECT_EQ(rule_->setting(), PointerSetting::kStandard);

  MoveMouse(button_);
  EXPECT_EQ(rule_->setting(), PointerSetting::kCustom);
  EXPECT_EQ(Shape(), Qt::BitmapCursor);
  // The push button shows the window's pointer.
  EXPECT_EQ(button_->cursor().shape(), Qt::BitmapCursor);

  MoveMouse(&window_, QPoint(250, 30));
  EXPECT_EQ(rule_->setting(), PointerSetting::kStandard);
  EXPECT_EQ(Shape(), Qt::ArrowCursor);

  MoveMouse(framed_button_);
  EXPECT_EQ(rule_->setting(), PointerSetting::kCustom);
  MoveMouse(frame_, QPoint(250, 100));
  EXPECT_EQ(rule_->setting(), PointerSetting::kStandard);
}

TEST_F(PointerRuleTest, LabelsAndControlsOnASurfaceLeaveThePointerAlone) {
  rule_->setHandCursor(Hand());
  MoveMouse(button_);
  ASSERT_EQ(rule_->setting(), PointerSetting::kCustom);
  MoveMouse(label_);
  MoveMouse(framed_label_);
  EXPECT_EQ(rule_->setting(), PointerSetting::kCustom);

  // A move that reaches the window from the frame's push button is not a
  // move over the window's surface.
  rule_->setSetting(PointerSetting::kStandard);
  MoveMouse(framed_button_);
  EXPECT_EQ(rule_->setting(), PointerSetting::kCustom);
}

TEST_F(PointerRuleTest, TheHourglassStaysWhateverTheMouseDoes) {
  rule_->setHandCursor(Hand());
  rule_->setSetting(PointerSetting::kHourglass);
  EXPECT_EQ(Shape(), Qt::WaitCursor);
  for (QWidget* target : {static_cast<QWidget*>(button_),
                          static_cast<QWidget*>(&window_),
                          static_cast<QWidget*>(frame_),
                          static_cast<QWidget*>(framed_button_)}) {
    MoveMouse(target, QPoint(1, 1));
    EXPECT_EQ(rule_->setting(), PointerSetting::kHourglass);
    EXPECT_EQ(Shape(), Qt::WaitCursor);
  }
  rule_->setSetting(PointerSetting::kStandard);
  MoveMouse(button_);
  EXPECT_EQ(Shape(), Qt::BitmapCursor);
}

TEST_F(PointerRuleTest, WithoutAHandImageTheCustomSettingLooksStandard) {
  EXPECT_FALSE(rule_->hasHandCursor());
  MoveMouse(button_);
  EXPECT_EQ(rule_->setting(), PointerSetting::kCustom);
  EXPECT_EQ(Shape(), Qt::ArrowCursor);
}

TEST_F(PointerRuleTest, MovesWithAButtonHeldStillCount) {
  rule_->setHandCursor(Hand());
  QMouseEvent drag(QEvent::MouseMove, QPointF(3, 3),
                   QPointF(button_->mapToGlobal(QPoint(3, 3))), Qt::NoButton,
                   Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(button_, &drag);
  EXPECT_EQ(rule_->setting(), PointerSetting::kCustom);
}

TEST_F(PointerRuleTest, MovesFromTheWindowSystemReachTheRule) {
  rule_->setHandCursor(Hand());
  window_.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window_));
  QTest::mouseMove(button_, QPoint(5, 5));
  EXPECT_EQ(rule_->setting(), PointerSetting::kCustom);
  QTest::mouseMove(label_, QPoint(5, 5));
  EXPECT_EQ(rule_->setting(), PointerSetting::kCustom);
  QTest::mouseMove(&window_, QPoint(250, 40));
  EXPECT_EQ(rule_->setting(), PointerSetting::kStandard);
}

}  // namespace
}  // namespace tarnwick
