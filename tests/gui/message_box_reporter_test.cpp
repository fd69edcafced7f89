// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "app/message_box_reporter.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <memory>

namespace tarnwick {
namespace {

TEST(DisplayTextTest, LineEndsBecomeLineBreaks) {
  const std::pair<std::string, std::string> cases[] = {
      {"a\r\nb", "a\nb"},   {"a\r\rb", "a\n\nb"}, {"a\nb", "a\nb"},
      {"a\r", "a\n"},       {"\r\n\r", "\n\n"},   {"plain", "plain"},
  };
  for (const auto& [text, shown] : cases) {
    EXPECT_EQ(DisplayText(text), shown) << "text: " << text;
  }
}

struct ShownBox {
  QString title;
  QString text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  Qt::TextFormat format = Qt::AutoText;
  int buttons = 0;
};

// Reads the next box as soon as it is open, then presses OK.
std::shared_ptr<ShownBox> CaptureNextBox() {
  auto shown = std::make_shared<ShownBox>();
  QTimer::singleShot(0, [shown] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    shown->title = box->windowTitle();
    shown->text = box->text();
    shown->icon = box->icon();
    shown->format = box->textFormat();
    shown->buttons = static_cast<int>(box->buttons().size());
    box->button(QMessageBox::Ok)->click();
  });
  return shown;
}

TEST(MessageBoxReporterTest, ReportIsAWarningWithOkOnly) {
  const auto shown = CaptureNextBox();
  MessageBoxReporter reporter;
  reporter.ShowReport("Disk full\r\nin X at line 100\r\rPlease email");
  EXPECT_EQ(shown->title, "Application Error");
  EXPECT_EQ(shown->icon, QMessageBox::Warning);
  EXPECT_EQ(shown->text, "Disk full\nin X at line 100\n\nPlease email");
  EXPECT_EQ(shown->buttons, 1);
}

TEST(PlainMessageBoxTest, HasTheApplicationTitleNoIconAndPlainText) {
  const auto shown = CaptureNextBox();
  PlainMessageBox messages;
  messages.ShowMessage("Type <tab> here.\r\rDone.");
  EXPECT_EQ(shown->title, "Tarnwick");
  EXPECT_EQ(shown->icon, QMessageBox::NoIcon);
  EXPECT_EQ(shown->format, Qt::PlainText);
  EXPECT_EQ(shown->text, "Type <tab> here.\n\nDone.");
  EXPECT_EQ(shown->buttons, 1);
}

}  // namespace
}  // namespace tarnwick
