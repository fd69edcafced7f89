// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "dialogs/remove_dialog.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QFontInfo>
#include <QImage>
#include <QPixmap>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>

#include "core/routine_identities.h"
#include "dialogs/dialog_texts.h"
#include "tests/dialogs/dialog_test_support.h"
#include "tests/support/recording_reporter.h"
#include "tests/support/temp_dir.h"

namespace tarnwick {
namespace {

using testing::Click;
using testing::Find;
using testing::MoveMouse;
using testing::Type;
using testing::U16;
using testing::U8;

// The bytes of a small pointer file: an icon file whose header says
// "cursor", with the hot spot where an icon keeps its colour planes.
std::string CursorFileBytes() {
  QImage image(32, 32, QImage::Format_ARGB32);
  image.fill(Qt::blue);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  EXPECT_TRUE(image.save(&buffer, "ICO"));
  bytes[2] = 2;
  bytes[10] = 5;  // hot spot x
  bytes[11] = 0;
  bytes[12] = 7;  // hot spot y
  bytes[13] = 0;
  return bytes.toStdString();
}

class RemoveDialogTest : public testing::OptionDialogTest {
 protected:
  std::unique_ptr<RemoveDialog> Make() {
    auto dialog = std::make_unique<RemoveDialog>(results_, reporter_, messages_);
    dialog->show();
    return dialog;
  }
};

TEST_F(RemoveDialogTest, ShowsTheControlsAtTheirDesignPlaces) {
  auto dialog = Make();
  EXPECT_EQ(dialog->objectName(), "Form2");
  EXPECT_EQ(dialog->size(), QSize(488, 157));
  EXPECT_EQ(dialog->minimumSize(), dialog->maximumSize());
  EXPECT_EQ(dialog->windowTitle().toStdString(),
            dialog_texts::kRemoveCaption);
  const struct {
    const char* name;
    const char* text;
    QRect geometry;
  } controls[] = {
      {"Label1", "Remove what:", QRect(9, 8, 87, 17)},
      {"Text1", "", QRect(8, 24, 472, 92)},
      {"PushButton1", "OK", QRect(8, 122, 184, 27)},
      {"PushButton2", "Cancel", QRect(200, 122, 176, 27)},
      {"PushButton3", "Tab?", QRect(384, 122, 96, 27)},
  };
  for (const auto& c : controls) {
    QWidget* widget = Find<QWidget>(*dialog, c.name);
    ASSERT_NE(widget, nullptr);
    QString text;
    if (auto* label = qobject_cast<QLabel*>(widget)) {
      text = label->text();
      testing::ExpectLabelPlace(*label, c.geometry);
    } else {
      EXPECT_EQ(widget->geometry(), c.geometry) << c.name;
    }
    if (auto* button = qobject_cast<QPushButton*>(widget)) {
      text = button->text();
      EXPECT_FALSE(button->autoDefault()) << c.name;
      EXPECT_FALSE(button->isDefault()) << c.name;
    }
    if (auto* box = qobject_cast<QPlainTextEdit*>(widget)) {
      text = box->toPlainText();
    }
    EXPECT_EQ(text.toStdString(), c.text) << c.name;
  }
}

TEST_F(RemoveDialogTest, OpensCentredOnTheScreen) {
  auto dialog = Make();
  const QPoint centre =
      QGuiApplication::primaryScreen()->availableGeometry().center();
  const QPoint shown = dialog->geometry().center();
  // Within a few pixels: the window frame is not known before showing.
  EXPECT_LE((shown - centre).manhattanLength(), 8)
      << shown.x() << "," << shown.y();
}

TEST_F(RemoveDialogTest, UsesBoldArialAndATitleBarWithACloseBoxOnly) {
  auto dialog = Make();
  const Qt::WindowFlags flags = dialog->windowFlags();
  EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
  EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
  EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
  EXPECT_FALSE(flags & Qt::WindowContextHelpButtonHint);
  EXPECT_TRUE(dialog->isModal());
  const struct {
    const char* name;
    double points;
  } fonts[] = {{"Label1", 9.0},
               {"Text1", 9.0},
               {"PushButton1", 11.25},
               {"PushButton2", 11.25},
               {"PushButton3", 11.25}};
  for (const auto& f : fonts) {
    const QFont font = Find<QWidget>(*dialog, f.name)->font();
    EXPECT_EQ(font.family(), "Arial") << f.name;
    EXPECT_TRUE(font.bold()) << f.name;
    EXPECT_DOUBLE_EQ(font.pointSizeF(), f.points) << f.name;
  }
  // The family resolves to Arial or a face with its metrics.
  const QString shown = QFontInfo(dialog->font()).family();
  EXPECT_TRUE(shown == "Arial" || shown == "Liberation Sans")
      << shown.toStdString();
}

TEST_F(RemoveDialogTest, TabMovesFromTheBoxThroughThePushButtons) {
  auto dialog = Make();
  auto* text1 = Find<QPlainTextEdit>(*dialog, "Text1");
  EXPECT_TRUE(text1->tabChangesFocus());
  EXPECT_EQ(testing::TabOrder(*dialog, text1),
            (std::vector<std::string>{"Text1", "PushButton1", "PushButton2",
                                      "PushButton3"}));
  EXPECT_EQ(dialog->focusWidget(), text1);
  EXPECT_EQ(text1->toPlainText(), "");
}

TEST_F(RemoveDialogTest, OkHandsOnTheTypedTextWithCrLfAndTabs) {
  const struct {
    QString typed;
    std::string find_what;
  } cases[] = {
      {"a<tab>b", "a\tb"},
      {"first<tab><tab>\nsecond\n", "first\t\t\r\nsecond\r\n"},
      {"<<tab>>", "<\t>"},
      {"<TAB><Tab>", "<TAB><Tab>"},
      {"   ", "   "},
      {"", ""},
      {QString::fromUtf8("caf\xC3\xA9 \xC2\xA0x"), "caf\xC3\xA9 \xC2\xA0x"},
  };
  for (const auto& c : cases) {
    results_.find_what = u"old";
    results_.replace_with = u"untouched";
    auto dialog = Make();
    Type(Find<QPlainTextEdit>(*dialog, "Text1"), c.typed);
    EXPECT_TRUE(dialog->isVisible());
    Click(*dialog, "PushButton1");
    EXPECT_FALSE(dialog->isVisible()) << c.typed.toStdString();
    EXPECT_EQ(U8(results_.find_what), c.find_what) << c.typed.toStdString();
    EXPECT_EQ(results_.replace_with, u"untouched");
  }
  EXPECT_TRUE(reporter_.reports().empty());
  EXPECT_TRUE(messages_.shown.empty());
}

TEST_F(RemoveDialogTest, EnterStartsANewLineAndEscapeDoesNothing) {
  auto dialog = Make();
  auto* text1 = Find<QPlainTextEdit>(*dialog, "Text1");
  Type(text1, "one");
  QTest::keyClick(text1, Qt::Key_Return);
  QTest::keyClick(text1, Qt::Key_Enter);
  QTest::keyClicks(text1, "two");
  QTest::keyClick(text1, Qt::Key_Escape);
  QTest::keyClick(dialog.get(), Qt::Key_Escape);
  QTest::keyClick(Find<QPushButton>(*dialog, "PushButton2"), Qt::Key_Escape);
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(text1->document()->blockCount(), 3);
  EXPECT_EQ(results_.find_what, u"");
  Click(*dialog, "PushButton1");
  EXPECT_EQ(results_.find_what, u"one\r\n\r\ntwo");
}

TEST_F(RemoveDialogTest, CancelEmptiesTheResultAndCloses) {
  results_.find_what = u"left from before";
  auto dialog = Make();
  Type(Find<QPlainTextEdit>(*dialog, "Text1"), "typed");
  Click(*dialog, "PushButton2");
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(results_.find_what, u"");
  EXPECT_TRUE(reporter_.reports().empty());
}

TEST_F(RemoveDialogTest, TheCloseBoxLeavesTheResultAsTheCallerSetIt) {
  auto dialog = Make();
  Type(Find<QPlainTextEdit>(*dialog, "Text1"), "typed");
  EXPECT_TRUE(dialog->close());
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(results_.find_what, u"");
}

TEST_F(RemoveDialogTest, TabHintShowsTheSameMessageEveryTimeAndKeepsTheText) {
  auto dialog = Make();
  auto* text1 = Find<QPlainTextEdit>(*dialog, "Text1");
  Type(text1, "a<tab>");
  for (int i = 0; i < 3; ++i) Click(*dialog, "PushButton3");
  EXPECT_EQ(messages_.shown,
            std::vector<std::string>(
                3, "Please type <tab> where you would like tabs inserted."));
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(text1->toPlainText(), "a<tab>");
  EXPECT_EQ(results_.find_what, u"");
}

TEST_F(RemoveDialogTest, AFailingHintIsReportedUnderItsRoutineAndLine) {
  messages_.fail = true;
  auto dialog = Make();
  Click(*dialog, "PushButton3");
  ASSERT_EQ(reporter_.reports().size(), 1u);
  EXPECT_NE(reporter_.reports()[0].find(
                std::string("in ") + routines::kRemoveDialogTab + "at line 100"),
            std::string::npos)
      << reporter_.reports()[0];
  EXPECT_TRUE(dialog->isVisible());
}

TEST_F(RemoveDialogTest, LoadStepColoursTheSurfaceAndLabelAndSetsTheIcon) {
  QPixmap icon(16, 16);
  icon.fill(Qt::green);
  QApplication::setWindowIcon(QIcon(icon));
  auto dialog = Make();
  const QColor face = QApplication::palette().color(QPalette::Button);
  EXPECT_EQ(dialog->palette().color(QPalette::Window), face);
  EXPECT_TRUE(dialog->autoFillBackground());
  auto* label = Find<QLabel>(*dialog, "Label1");
  EXPECT_EQ(label->palette().color(QPalette::Window), face);
  EXPECT_EQ(Find<QPlainTextEdit>(*dialog, "Text1")->palette().color(
                QPalette::Base),
            QApplication::palette().color(QPalette::Base));
  EXPECT_EQ(dialog->windowIcon().cacheKey(),
            QApplication::windowIcon().cacheKey());
  QApplication::setWindowIcon(QIcon());
  EXPECT_TRUE(reporter_.reports().empty());
}

TEST_F(RemoveDialogTest, WithoutTheHandFileLoadsQuietlyAndKeepsTheArrow) {
  auto dialog = Make();
  EXPECT_TRUE(reporter_.reports().empty());
  EXPECT_FALSE(dialog->hasHandPointer());
  MoveMouse(Find<QPushButton>(*dialog, "PushButton1"));
  EXPECT_EQ(dialog->pointerSetting(), PointerSetting::kCustom);
  EXPECT_EQ(dialog->cursor().shape(), Qt::ArrowCursor);
}

TEST_F(RemoveDialogTest, TheHandFileBesideTheProgramIsThePushButtonPointer) {
  program_folder_.Write("HAND-M.CUR", CursorFileBytes());
  auto dialog = Make();
  EXPECT_TRUE(reporter_.reports().empty());
  ASSERT_TRUE(dialog->hasHandPointer());
  for (const char* button : {"PushButton1", "PushButton2", "PushButton3"}) {
    dialog->setPointerSetting(PointerSetting::kStandard);
    MoveMouse(Find<QPushButton>(*dialog, button));
    EXPECT_EQ(dialog->cursor().shape(), Qt::BitmapCursor) << button;
  }
  MoveMouse(Find<QLabel>(*dialog, "Label1"));
  MoveMouse(Find<QPlainTextEdit>(*dialog, "Text1")->viewport());
  EXPECT_EQ(dialog->pointerSetting(), PointerSetting::kCustom);
  MoveMouse(dialog.get(), QPoint(2, 150));
  EXPECT_EQ(dialog->pointerSetting(), PointerSetting::kStandard);
  EXPECT_EQ(dialog->cursor().shape(), Qt::ArrowCursor);

  dialog->setPointerSetting(PointerSetting::kHourglass);
  MoveMouse(Find<QPushButton>(*dialog, "PushButton1"));
  MoveMouse(dialog.get(), QPoint(2, 150));
  EXPECT_EQ(dialog->cursor().shape(), Qt::WaitCursor);
}

TEST_F(RemoveDialogTest, AnUnreadableHandFileIsReportedAtItsLoadLine) {
  program_folder_.Write("HAND-M.CUR", "not a picture");
  auto dialog = Make();
  ASSERT_EQ(reporter_.lines(), std::vector<int>{106});
  EXPECT_NE(reporter_.reports()[0].find(routines::kRemoveDialogLoad),
            std::string::npos);
  EXPECT_FALSE(dialog->hasHandPointer());
  Click(*dialog, "PushButton1");
  EXPECT_FALSE(dialog->isVisible());
}

TEST_F(RemoveDialogTest, ShowRemoveDialogRunsOneModalShowingWithTheCaption) {
  std::string title;
  testing::WhenModal([&](QWidget* modal) {
    title = modal->windowTitle().toStdString();
    EXPECT_EQ(modal->objectName(), "Form2");
    Type(modal->findChild<QPlainTextEdit*>("Text1"), "x<tab>y");
    QTest::mouseClick(modal->findChild<QPushButton*>("PushButton1"),
                      Qt::LeftButton);
  });
  ShowRemoveDialog(nullptr, "Remove from notes.txt", results_, reporter_,
                   messages_);
  EXPECT_EQ(title, "Remove from notes.txt");
  EXPECT_EQ(results_.find_what, u"x\ty");

  // The next showing starts empty.
  testing::WhenModal([&](QWidget* modal) {
    EXPECT_EQ(modal->findChild<QPlainTextEdit*>("Text1")->toPlainText(), "");
    modal->close();
  });
  results_.find_what.clear();
  ShowRemoveDialog(nullptr, "again", results_, reporter_, messages_);
  EXPECT_EQ(results_.find_what, u"");
}

TEST_F(RemoveDialogTest, ScreenshotLooksLikeTheDesign) {
  auto dialog = Make();
  Type(Find<QPlainTextEdit>(*dialog, "Text1"), "remove<tab>this\nand this");
  testing::ExpectScreenshot(*dialog, QSize(488, 157), "form2.png");
}

}  // namespace
}  // namespace tarnwick
