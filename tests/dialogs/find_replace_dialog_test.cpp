// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "dialogs/find_replace_dialog.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include "core/routine_identities.h"
#include "dialogs/dialog_texts.h"
#include "tests/dialogs/dialog_test_support.h"
#include "tests/support/memory_settings.h"
#include "tests/support/recording_reporter.h"
#include "tests/support/temp_dir.h"

namespace tarnwick {
namespace {

using testing::Click;
using testing::Find;
using testing::MoveMouse;
using testing::Type;
using testing::U8;

constexpr char kRefusal[] = "The number of lines of Find What and Replace With.";

class FailingSettings : public testing::MemorySettings {
 public:
  void SaveSetting(std::string_view, std::string_view) override {
    throw std::runtime_error("The settings store is read-only");
  }
};

class FindReplaceDialogTest : public testing::OptionDialogTest {
 protected:
  std::unique_ptr<FindReplaceDialog> Make(SettingsStore* settings = nullptr) {
    auto dialog = std::make_unique<FindReplaceDialog>(
        results_, reporter_, messages_,
        settings != nullptr ? *settings : settings_);
    dialog->show();
    return dialog;
  }

  std::vector<std::string> Form3Check1Writes() const {
    return settings_.WritesOf("Form3Check1");
  }

  testing::MemorySettings settings_;
};

TEST_F(FindReplaceDialogTest, ShowsTheControlsAtTheirDesignPlaces) {
  auto dialog = Make();
  EXPECT_EQ(dialog->objectName(), "Form3");
  EXPECT_EQ(dialog->size(), QSize(488, 399));
  EXPECT_EQ(dialog->windowTitle().toStdString(),
            dialog_texts::kFindReplaceCaption);
  const struct {
    const char* name;
    const char* text;
    QRect geometry;
  } controls[] = {
      {"Text1", "", QRect(8, 24, 472, 127)},
      {"Text2", "", QRect(8, 176, 472, 127)},
      {"PushButton1", "OK", QRect(8, 312, 184, 27)},
      {"PushButton2", "Cancel", QRect(200, 312, 176, 27)},
      {"PushButton3", "Tab?", QRect(384, 312, 96, 27)},
      {"Frame1", "All Option", QRect(8, 344, 473, 47)},
      {"Check1", "Do this same Find and Replace set for all files",
       QRect(16, 20, 441, 16)},
  };
  for (const auto& c : controls) {
    QWidget* widget = Find<QWidget>(*dialog, c.name);
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(widget->geometry(), c.geometry) << c.name;
    QString text;
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
      text = button->text();
    }
    if (auto* push = qobject_cast<QPushButton*>(widget)) {
      EXPECT_FALSE(push->autoDefault() || push->isDefault()) << c.name;
      EXPECT_DOUBLE_EQ(push->font().pointSizeF(), 11.25) << c.name;
    }
    if (auto* frame = qobject_cast<QGroupBox*>(widget)) text = frame->title();
    if (auto* box = qobject_cast<QPlainTextEdit*>(widget)) {
      text = box->toPlainText();
      EXPECT_EQ(box->lineWrapMode(), QPlainTextEdit::NoWrap);
      EXPECT_EQ(box->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
      EXPECT_EQ(box->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    }
    EXPECT_EQ(text.toStdString(), c.text) << c.name;
  }
  EXPECT_EQ(Find<QCheckBox>(*dialog, "Check1")->parentWidget()->objectName(),
            "Frame1");

  // The two labels form one array named Label1, told apart by "index".
  const QList<QLabel*> labels = dialog->findChildren<QLabel*>("Label1");
  ASSERT_EQ(labels.size(), 2);
  for (QLabel* label : labels) {
    const int index = label->property("index").toInt();
    EXPECT_EQ(label->text(), index == 0 ? "Find what:" : "Replace with:");
    testing::ExpectLabelPlace(
        *label, index == 0 ? QRect(9, 8, 57, 15) : QRect(9, 160, 76, 15));
    EXPECT_TRUE(label->font().bold());
    EXPECT_DOUBLE_EQ(label->font().pointSizeF(), 9.0);
  }
  EXPECT_NE(labels[0]->property("index"), labels[1]->property("index"));
}

TEST_F(FindReplaceDialogTest, TabOrderRunsBoxesButtonsThenTheCheckBox) {
  auto dialog = Make();
  auto* text1 = Find<QPlainTextEdit>(*dialog, "Text1");
  EXPECT_EQ(testing::TabOrder(*dialog, text1),
            (std::vector<std::string>{"Text1", "Text2", "PushButton1",
                                      "PushButton2", "PushButton3",
                                      "Check1"}));
}

TEST_F(FindReplaceDialogTest, OkAcceptsOnlyEqualLineCounts) {
  const struct {
    QString find;
    QString replace;
    bool closes;
    std::string find_what;
    std::string replace_with;
  } cases[] = {
      {"", "", true, "", ""},
      {"a", "b", true, "a", "b"},
      {"a", "", false, "a", ""},
      {"", "b", false, "", "b"},
      {"one\ntwo", "1\n2", true, "one\r\ntwo", "1\r\n2"},
      {"one\n", "1", false, "one\r\n", "1"},
      {"one\n", "1\n", true, "one\r\n", "1\r\n"},
      {"a<tab>b\nc", "x\ny<tab>", true, "a\tb\r\nc", "x\r\ny\t"},
      {"<tab>", "<TAB>", true, "\t", "<TAB>"},
      {"same\nsame", "a", false, "same\r\nsame", "a"},
  };
  for (const auto& c : cases) {
    const std::string context =
        c.find.toStdString() + " / " + c.replace.toStdString();
    results_ = {};
    messages_.shown.clear();
    auto dialog = Make();
    Type(Find<QPlainTextEdit>(*dialog, "Text1"), c.find);
    Type(Find<QPlainTextEdit>(*dialog, "Text2"), c.replace);
    Click(*dialog, "PushButton1");
    EXPECT_EQ(!dialog->isVisible(), c.closes) << context;
    EXPECT_EQ(messages_.shown,
              c.closes ? std::vector<std::string>{}
                       : std::vector<std::string>{kRefusal})
        << context;
    EXPECT_EQ(U8(results_.find_what), c.find_what) << context;
    EXPECT_EQ(U8(results_.replace_with), c.replace_with) << context;
  }
  EXPECT_TRUE(reporter_.reports().empty());
}

TEST_F(FindReplaceDialogTest, ARefusedOkKeepsTheBoxesForCorrection) {
  auto dialog = Make();
  auto* text1 = Find<QPlainTextEdit>(*dialog, "Text1");
  auto* text2 = Find<QPlainTextEdit>(*dialog, "Text2");
  Type(text1, "a\nb");
  Type(text2, "c");
  Click(*dialog, "PushButton1");
  ASSERT_TRUE(dialog->isVisible());
  EXPECT_EQ(text1->toPlainText(), "a\nb");
  EXPECT_EQ(text2->toPlainText(), "c");
  QTest::keyClick(text2, Qt::Key_Return);
  QTest::keyClicks(text2, "d");
  Click(*dialog, "PushButton1");
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(results_.replace_with, u"c\r\nd");
}

TEST_F(FindReplaceDialogTest, TheCloseBoxAfterARefusalKeepsTheRefusedTexts) {
  auto dialog = Make();
  Type(Find<QPlainTextEdit>(*dialog, "Text1"), "x<tab>");
  Click(*dialog, "PushButton1");
  ASSERT_TRUE(dialog->isVisible());
  EXPECT_TRUE(dialog->close());
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(results_.find_what, u"x\t");
  EXPECT_EQ(results_.replace_with, u"");
}

TEST_F(FindReplaceDialogTest, TheCloseBoxAloneLeavesTheCallersEmptyTexts) {
  auto dialog = Make();
  Type(Find<QPlainTextEdit>(*dialog, "Text1"), "x");
  Type(Find<QPlainTextEdit>(*dialog, "Text2"), "y");
  dialog->close();
  EXPECT_EQ(results_.find_what, u"");
  EXPECT_EQ(results_.replace_with, u"");
}

TEST_F(FindReplaceDialogTest, CancelEmptiesBothTextsEvenAfterARefusal) {
  auto dialog = Make();
  Type(Find<QPlainTextEdit>(*dialog, "Text1"), "a");
  Click(*dialog, "PushButton1");
  ASSERT_EQ(results_.find_what, u"a");
  Click(*dialog, "PushButton2");
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(results_.find_what, u"");
  EXPECT_EQ(results_.replace_with, u"");
}

TEST_F(FindReplaceDialogTest, EnterMakesNewLinesAndEscapeDoesNotClose) {
  auto dialog = Make();
  auto* text2 = Find<QPlainTextEdit>(*dialog, "Text2");
  QTest::keyClicks(text2, "a");
  QTest::keyClick(text2, Qt::Key_Return);
  QTest::keyClick(text2, Qt::Key_Escape);
  QTest::keyClick(Find<QCheckBox>(*dialog, "Check1"), Qt::Key_Escape);
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(text2->document()->blockCount(), 2);
}

TEST_F(FindReplaceDialogTest, TabHintShowsItsMessageAndStaysOpen) {
  auto dialog = Make();
  Click(*dialog, "PushButton3");
  Click(*dialog, "PushButton3");
  EXPECT_EQ(messages_.shown,
            std::vector<std::string>(
                2, "Please type <tab> where you would like tabs inserted."));
  EXPECT_TRUE(dialog->isVisible());
}

TEST_F(FindReplaceDialogTest, Check1StoresItsStateAtEveryClickAndStartsUnticked) {
  settings_.values["Form3Check1"] = "1";
  auto dialog = Make();
  auto* check1 = Find<QCheckBox>(*dialog, "Check1");
  EXPECT_FALSE(check1->isChecked());
  EXPECT_TRUE(Form3Check1Writes().empty());
  for (const char* name : {"Check1", "Check1", "Check1"}) Click(*dialog, name);
  EXPECT_EQ(Form3Check1Writes(), (std::vector<std::string>{"1", "0", "1"}));
  // Cancel does not undo the stored choice.
  Click(*dialog, "PushButton2");
  EXPECT_EQ(settings_.values["Form3Check1"], "1");
  EXPECT_TRUE(settings_.reads.empty());
  EXPECT_TRUE(reporter_.reports().empty());
}

TEST_F(FindReplaceDialogTest, KeyboardTogglesOfCheck1AreStoredToo) {
  auto dialog = Make();
  auto* check1 = Find<QCheckBox>(*dialog, "Check1");
  QTest::keyClick(check1, Qt::Key_Space);
  EXPECT_EQ(Form3Check1Writes(), std::vector<std::string>{"1"});
}

TEST_F(FindReplaceDialogTest, FailuresAreReportedAndTheDialogCarriesOn) {
  FailingSettings failing;
  messages_.fail = true;
  auto dialog = Make(&failing);
  Type(Find<QPlainTextEdit>(*dialog, "Text1"), "a");
  Click(*dialog, "PushButton1");  // the refusal's message box fails
  Click(*dialog, "PushButton3");  // the hint fails
  Click(*dialog, "Check1");       // the store fails
  ASSERT_EQ(reporter_.reports().size(), 3u);
  const std::string expected[] = {
      std::string("in ") + routines::kReplaceDialogOk + "at line 112",
      std::string("in ") + routines::kReplaceDialogTab + "at line 100",
      "in Quelbrook2021/08/31.Form3.Check1_Click at line 100",
  };
  for (int i = 0; i < 3; ++i) {
    EXPECT_NE(reporter_.reports()[i].find(expected[i]), std::string::npos)
        << reporter_.reports()[i];
  }
  EXPECT_TRUE(dialog->isVisible());
  Click(*dialog, "PushButton2");
  EXPECT_FALSE(dialog->isVisible());
}

TEST_F(FindReplaceDialogTest, PushButtonsAndFrame1FollowThePointerRule) {
  auto dialog = Make();
  MoveMouse(Find<QPushButton>(*dialog, "PushButton2"));
  EXPECT_EQ(dialog->pointerSetting(), PointerSetting::kCustom);
  MoveMouse(Find<QCheckBox>(*dialog, "Check1"));
  MoveMouse(dialog->findChildren<QLabel*>("Label1").at(1));
  EXPECT_EQ(dialog->pointerSetting(), PointerSetting::kCustom);
  MoveMouse(Find<QGroupBox>(*dialog, "Frame1"), QPoint(470, 40));
  EXPECT_EQ(dialog->pointerSetting(), PointerSetting::kStandard);
  dialog->setPointerSetting(PointerSetting::kHourglass);
  MoveMouse(Find<QPushButton>(*dialog, "PushButton3"));
  EXPECT_EQ(dialog->pointerSetting(), PointerSetting::kHourglass);
}

TEST_F(FindReplaceDialogTest, LoadStepColoursLabelsFrameAndCheckBox) {
  auto dialog = Make();
  const QColor face = QApplication::palette().color(QPalette::Button);
  EXPECT_EQ(dialog->palette().color(QPalette::Window), face);
  for (QWidget* widget :
       {static_cast<QWidget*>(dialog->findChildren<QLabel*>("Label1").at(0)),
        static_cast<QWidget*>(dialog->findChildren<QLabel*>("Label1").at(1)),
        static_cast<QWidget*>(Find<QGroupBox>(*dialog, "Frame1")),
        static_cast<QWidget*>(Find<QCheckBox>(*dialog, "Check1"))}) {
    EXPECT_EQ(widget->palette().color(QPalette::Window), face)
        << widget->objectName().toStdString();
  }
  EXPECT_TRUE(reporter_.reports().empty());
}

TEST_F(FindReplaceDialogTest, EveryShowingStartsEmptyAndUnticked) {
  for (int showing = 0; showing < 2; ++showing) {
    results_ = {};
    testing::WhenModal([&](QWidget* modal) {
      EXPECT_EQ(modal->windowTitle(), "Find in file " + QString::number(showing));
      auto* text1 = modal->findChild<QPlainTextEdit*>("Text1");
      auto* text2 = modal->findChild<QPlainTextEdit*>("Text2");
      auto* check1 = modal->findChild<QCheckBox*>("Check1");
      EXPECT_EQ(text1->toPlainText(), "");
      EXPECT_EQ(text2->toPlainText(), "");
      EXPECT_FALSE(check1->isChecked());
      Type(text1, "old");
      Type(text2, "new");
      QTest::mouseClick(check1, Qt::LeftButton);
      QTest::mouseClick(modal->findChild<QPushButton*>("PushButton1"),
                        Qt::LeftButton);
    });
    ShowFindReplaceDialog(nullptr,
                          "Find in file " + std::to_string(showing), results_,
                          reporter_, messages_, settings_);
    EXPECT_EQ(results_.find_what, u"old");
    EXPECT_EQ(results_.replace_with, u"new");
  }
  EXPECT_EQ(Form3Check1Writes(), (std::vector<std::string>{"1", "1"}));
}

TEST_F(FindReplaceDialogTest, ScreenshotLooksLikeTheDesign) {
  auto dialog = Make();
  Type(Find<QPlainTextEdit>(*dialog, "Text1"), "colour\nrecognise<tab>");
  Type(Find<QPlainTextEdit>(*dialog, "Text2"), "color\nrecognize<tab>");
  Click(*dialog, "Check1");
  testing::ExpectScreenshot(*dialog, QSize(488, 399), "form3.png");
}

}  // namespace
}  // namespace tarnwick
