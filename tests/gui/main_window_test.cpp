// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "app/main_window.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

#include "app/main_window_texts.h"
#include "app/start_up.h"
#include "core/product.h"
#include "core/routine_identities.h"
#include "filelist/file_list_model.h"
#include "tests/gui/fake_window_services.h"
#include "tests/support/temp_dir.h"
#include "ui/program_files.h"

namespace tarnwick {
namespace {

using testing::FakeWindowServices;
using testing::TempDir;

class MainWindowTest : public ::testing::Test {
 protected:
  // Files beside the program (pointer, skin) come from a fresh folder.
  MainWindowTest() { SetProgramFolderForTesting(program_folder_.path()); }

  MainWindow& Loaded() {
    form_ = std::make_unique<MainWindow>(fake_.services);
    form_->load();
    return *form_;
  }
  template <typename Widget>
  Widget* Find(const char* name) {
    auto* widget = form_->findChild<Widget*>(QString::fromUtf8(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  std::vector<std::string> WritesOf(const std::string& key) const {
    return fake_.settings.WritesOf(key);
  }

  TempDir program_folder_;
  FakeWindowServices fake_;
  std::unique_ptr<MainWindow> form_;
};

TEST_F(MainWindowTest, ControlsSitAtTheirDesignPlaces) {
  Loaded();
  struct Place {
    const char* name;
    const char* parent;
    QRect pixels;
  };
  const Place places[] = {
      {"PushButton5", "Form1", {8, 8, 520, 27}},
      {"ListView1", "Form1", {8, 42, 520, 169}},
      {"PushButton7", "Form1", {8, 217, 256, 27}},
      {"PushButton8", "Form1", {272, 217, 256, 27}},
      {"PushButton9", "Form1", {8, 251, 256, 27}},
      {"PushButton1", "Form1", {272, 251, 256, 27}},
      {"Frame1", "Form1", {8, 283, 520, 53}},
      {"Combo1", "Frame1", {16, 20, 488, 23}},
      {"Frame2", "Form1", {8, 340, 520, 55}},
      {"Text1", "Frame2", {16, 20, 444, 23}},
      {"PushButton2", "Frame2", {464, 20, 40, 23}},
      {"PushButton10", "Form1", {8, 403, 520, 27}},
      {"ProgressBar1", "Form1", {8, 438, 520, 27}},
  };
  for (const Place& place : places) {
    QWidget* widget = Find<QWidget>(place.name);
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(widget->geometry(), place.pixels) << place.name;
    EXPECT_EQ(widget->parentWidget()->objectName(), place.parent) << place.name;
  }
  EXPECT_EQ(form_->minimumSize(), QSize(536, 473));
  EXPECT_EQ(form_->maximumSize(), QSize(536, 473));
  EXPECT_FALSE(form_->windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(form_->windowFlags() & Qt::WindowMinimizeButtonHint);
  EXPECT_TRUE(form_->windowFlags() & Qt::WindowCloseButtonHint);
}

TEST_F(MainWindowTest, ControlsShowTheirTextsAndFonts) {
  Loaded();
  const std::pair<const char*, const char*> buttons[] = {
      {"PushButton5", "Help"},
      {"PushButton7", "Add File(s)"},
      {"PushButton8", "Add All File(s) In Folder"},
      {"PushButton9", "Clear List"},
      {"PushButton1", "Load Sample/Example Files"},
      {"PushButton2", "..."},
      {"PushButton10", "Start Removing"},
  };
  for (const auto& [name, text] : buttons) {
    auto* button = Find<QPushButton>(name);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->text(), text);
    EXPECT_EQ(button->font().family(), "Arial") << name;
    EXPECT_DOUBLE_EQ(button->font().pointSizeF(), 11.25) << name;
    EXPECT_TRUE(button->font().bold()) << name;
  }
  EXPECT_EQ(Find<QGroupBox>("Frame1")->title(), "Remove Options");
  EXPECT_EQ(Find<QGroupBox>("Frame2")->title(), "Save Results To This Folder");
  EXPECT_EQ(form_->font().family(), "Arial");
  EXPECT_DOUBLE_EQ(form_->font().pointSizeF(), 9);
  EXPECT_TRUE(form_->font().bold());
  EXPECT_DOUBLE_EQ(Find<QComboBox>("Combo1")->font().pointSizeF(), 9);

  auto* bar = Find<QProgressBar>("ProgressBar1");
  EXPECT_EQ(bar->minimum(), 0);
  EXPECT_EQ(bar->maximum(), 100);
  EXPECT_EQ(bar->value(), 0);
  EXPECT_EQ(bar->text(), "Progress Bar");
  EXPECT_TRUE(bar->isTextVisible());

  auto* list = Find<QTreeView>("ListView1");
  EXPECT_EQ(list->toolTip(), texts::kFileListToolTip);
  EXPECT_EQ(list->model()->headerData(0, Qt::Horizontal).toString(), "File(s)");
  EXPECT_EQ(list->columnWidth(0), 467);  // 7000 twips, to the nearest pixel
  EXPECT_FALSE(list->isHeaderHidden());
  EXPECT_TRUE(list->uniformRowHeights());

  EXPECT_EQ(form_->windowTitle(), "Tarnwick");
  EXPECT_FALSE(form_->windowIcon().isNull());
  EXPECT_EQ(ApplicationTitle(), "Tarnwick");
  EXPECT_EQ(form_->palette().color(QPalette::Window), QColor(Qt::white));
}

TEST_F(MainWindowTest, TabOrderFollowsTheLayout) {
  Loaded();
  // The bar and the frames take no focus; the rest follow in design order.
  EXPECT_EQ(Find<QWidget>("ProgressBar1")->focusPolicy(), Qt::NoFocus);
  EXPECT_EQ(Find<QWidget>("Frame1")->focusPolicy(), Qt::NoFocus);
  const QStringList expected = {
      "ListView1",   "PushButton5", "PushButton7", "PushButton8",
      "PushButton9", "PushButton10", "Combo1",     "PushButton1",
      "Text1",       "PushButton2"};
  QStringList order;
  QWidget* widget = Find<QWidget>("ListView1");
  for (int step = 0; step < 200 && order.size() < expected.size(); ++step) {
    if (expected.contains(widget->objectName()) &&
        !order.contains(widget->objectName())) {
      order << widget->objectName();
    }
    widget = widget->nextInFocusChain();
  }
  EXPECT_EQ(order, expected);
}

TEST_F(MainWindowTest, TabKeyWalksTheControlsInOrder) {
  Loaded();
  form_->show();
  QApplication::setActiveWindow(form_.get());
  ASSERT_TRUE(QTest::qWaitForWindowActive(form_.get()));
  Find<QWidget>("ListView1")->setFocus();
  QStringList visited{QApplication::focusWidget()->objectName()};
  for (int i = 0; i < 10; ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    visited << QApplication::focusWidget()->objectName();
  }
  EXPECT_EQ(visited, (QStringList{"ListView1", "PushButton5", "PushButton7",
                                  "PushButton8", "PushButton9", "PushButton10",
                                  "Combo1", "PushButton1", "Text1", "PushButton2",
                                  "ListView1"}));
}

TEST_F(MainWindowTest, ChooserHoldsTheTwelveEntriesAndCannotBeTyped) {
  Loaded();
  auto* chooser = Find<QComboBox>("Combo1");
  ASSERT_EQ(chooser->count(), 12);
  for (int i = 0; i < 12; ++i) {
    EXPECT_EQ(chooser->itemText(i).toStdString(), texts::kChooserEntries[i]);
  }
  EXPECT_FALSE(chooser->isEditable());
  EXPECT_EQ(chooser->itemText(4), "-");
  EXPECT_EQ(chooser->itemText(10), "-");
}

TEST_F(MainWindowTest, FirstStartShowsTheFirstEntryAndTheDefaultFolder) {
  Loaded();
  EXPECT_EQ(Find<QComboBox>("Combo1")->currentIndex(), 0);
  EXPECT_EQ(Find<QLineEdit>("Text1")->text().toStdString(), DefaultOutputFolder());
  EXPECT_EQ(fake_.settings.values.at("Combo1"), "0");
  EXPECT_EQ(fake_.settings.values.at("Output Folder"), DefaultOutputFolder());
  EXPECT_EQ(fake_.settings.reads,
            (std::vector<std::string>{"Combo1", "Output Folder"}));
  EXPECT_TRUE(fake_.reporter.reports().empty());
  EXPECT_TRUE(fake_.urls.opened.empty());
  EXPECT_FALSE(form_->hasHandPointer());
}

TEST_F(MainWindowTest, StoredChoicesAreRestoredAndStoredAgain) {
  fake_.settings.values["Combo1"] = "10";
  fake_.settings.values["Output Folder"] = "";
  Loaded();
  EXPECT_EQ(Find<QComboBox>("Combo1")->currentIndex(), 10);
  EXPECT_EQ(Find<QComboBox>("Combo1")->currentText(), "-");
  EXPECT_EQ(WritesOf("Combo1"), std::vector<std::string>{"10"});
  EXPECT_EQ(Find<QLineEdit>("Text1")->text(), "");
  EXPECT_EQ(fake_.settings.values.at("Output Folder"), "");
}

TEST_F(MainWindowTest, StoredOperationThatIsNoPositionIsReportedAtLine156) {
  for (const char* stored : {"abc", "12", "-1", "", "99999"}) {
    SCOPED_TRACE(stored);
    fake_.settings.values["Combo1"] = stored;
    fake_.settings.writes.clear();
    const std::size_t before = fake_.reporter.reports().size();
    Loaded();
    ASSERT_EQ(fake_.reporter.reports().size(), before + 1);
    const std::string& report = fake_.reporter.reports().back();
    EXPECT_NE(report.find(std::string("in ") + routines::kMainLoad + "at line 156"),
              std::string::npos)
        << report;
    EXPECT_NE(report.find(std::string("\"") + stored + "\""), std::string::npos);
    EXPECT_EQ(Find<QComboBox>("Combo1")->currentIndex(), -1);
    EXPECT_TRUE(WritesOf("Combo1").empty());
    EXPECT_EQ(fake_.settings.values.at("Combo1"), stored);
    // Start-up goes on with the output folder.
    EXPECT_FALSE(Find<QLineEdit>("Text1")->text().isEmpty());
  }
}

TEST_F(MainWindowTest, HomePageOpensOnlyOnTheDrawOfSeven) {
  for (const int draw : {1, 6, 7, 8, 100}) {
    fake_.urls.opened.clear();
    fake_.random.draw = draw;
    Loaded();
    EXPECT_EQ(fake_.urls.opened.size(), draw == 7 ? 1u : 0u) << draw;
    if (draw == 7) {
      EXPECT_EQ(fake_.urls.opened.front(), product::kHomePage);
    }
  }
}

TEST_F(MainWindowTest, SkinFileTurnsTheBackgroundToButtonFace) {
  program_folder_.Write("x/o.cjs", "skin");
  Loaded();
  const QColor face = QApplication::palette().color(QPalette::Button);
  EXPECT_EQ(form_->palette().color(QPalette::Window), face);
  EXPECT_EQ(Find<QGroupBox>("Frame1")->palette().color(QPalette::Window), face);
  EXPECT_EQ(Find<QGroupBox>("Frame2")->palette().color(QPalette::Window), face);
}

TEST_F(MainWindowTest, SkinFolderOrHiddenNameIsNoSkin) {
  program_folder_.MakeFolder("x/o.cjs");
  Loaded();
  EXPECT_EQ(form_->palette().color(QPalette::Window), QColor(Qt::white));
}

TEST_F(MainWindowTest, PointerRuleUsesTheHandPointerOverButtons) {
  QImage image(16, 16, QImage::Format_ARGB32);
  image.fill(Qt::red);
  ASSERT_TRUE(image.save(QString::fromStdString(program_folder_ / "HAND-M.CUR"), "PNG"));
  Loaded();
  ASSERT_TRUE(form_->hasHandPointer());

  QEvent enter(QEvent::Enter);
  QApplication::sendEvent(Find<QPushButton>("PushButton7"), &enter);
  EXPECT_EQ(form_->cursor().shape(), Qt::BitmapCursor);
  QApplication::sendEvent(Find<QGroupBox>("Frame2"), &enter);
  EXPECT_EQ(form_->cursor().shape(), Qt::ArrowCursor);
  QApplication::sendEvent(Find<QPushButton>("PushButton2"), &enter);
  EXPECT_EQ(form_->cursor().shape(), Qt::BitmapCursor);
  QTest::mouseMove(form_.get(), QPoint(2, 2));
  form_->showDefaultPointer();
  EXPECT_EQ(form_->cursor().shape(), Qt::ArrowCursor);
  // A move over a button: the button leaves it to the window, which must
  // not take it for a move over itself.
  auto* button = Find<QPushButton>("PushButton10");
  const QPointF inside(button->width() / 2.0, button->height() / 2.0);
  QMouseEvent over(QEvent::MouseMove, inside, button->mapToGlobal(inside),
                   Qt::NoButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(button, &over);
  EXPECT_EQ(form_->cursor().shape(), Qt::BitmapCursor);
  QMouseEvent beside(QEvent::MouseMove, QPointF(2, 2), form_->mapToGlobal(QPointF(2, 2)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(form_.get(), &beside);
  EXPECT_EQ(form_->cursor().shape(), Qt::ArrowCursor);

  form_->SetBusy(true);
  QApplication::sendEvent(Find<QPushButton>("PushButton7"), &enter);
  EXPECT_EQ(form_->cursor().shape(), Qt::WaitCursor);
  QApplication::sendEvent(Find<QGroupBox>("Frame1"), &enter);
  EXPECT_EQ(form_->cursor().shape(), Qt::WaitCursor);
  EXPECT_TRUE(form_->isBusy());
}

TEST_F(MainWindowTest, WithoutHandFileButtonsShowTheDefaultPointer) {
  Loaded();
  QEvent enter(QEvent::Enter);
  QApplication::sendEvent(Find<QPushButton>("PushButton10"), &enter);
  EXPECT_EQ(form_->cursor().shape(), Qt::ArrowCursor);
}

TEST_F(MainWindowTest, UnreadableHandFileIsReportedAtLine108) {
  program_folder_.Write("HAND-M.CUR", "not a picture");
  Loaded();
  ASSERT_EQ(fake_.reporter.lines(), std::vector<int>{108});
  EXPECT_FALSE(form_->hasHandPointer());
  EXPECT_EQ(Find<QComboBox>("Combo1")->currentIndex(), 0);
}

TEST_F(MainWindowTest, ChooserAndBoxStoreEveryChange) {
  Loaded();
  fake_.settings.writes.clear();
  auto* chooser = Find<QComboBox>("Combo1");
  chooser->setCurrentIndex(4);
  EXPECT_EQ(fake_.settings.values.at("Combo1"), "4");
  EXPECT_EQ(chooser->currentText(), "-");
  QTest::keyClick(chooser, Qt::Key_Down);
  EXPECT_EQ(fake_.settings.values.at("Combo1"), "5");

  auto* box = Find<QLineEdit>("Text1");
  box->clear();
  QTest::keyClicks(box, "D/out");
  EXPECT_EQ(WritesOf("Output Folder"),
            (std::vector<std::string>{"", "D", "D/", "D/o", "D/ou", "D/out"}));
}

// A store that refuses every write.
class RefusingSettings : public testing::MemorySettings {
 public:
  void SaveSetting(std::string_view, std::string_view) override {
    throw std::runtime_error("Permission denied");
  }
};

TEST(MainWindowStoreFailureTest, RefusedWritesAreReportedAndTheWindowGoesOn) {
  FakeWindowServices fake;
  RefusingSettings refusing;
  WindowServices services = fake.services;
  WindowServices with_refusing{refusing,          services.reporter,
                               services.messages, services.open_file_dialog,
                               services.folder_picker, services.option_dialogs,
                               services.urls,     services.random,
                               services.prompts,  services.folders,
                               services.exit_now};
  MainWindow form(with_refusing);
  form.load();
  auto* chooser = form.findChild<QComboBox*>("Combo1");
  EXPECT_EQ(chooser->currentIndex(), 0);
  chooser->setCurrentIndex(3);
  EXPECT_EQ(chooser->currentIndex(), 3);
  const auto& reports = fake.reporter.reports();
  ASSERT_EQ(reports.size(), 3u);  // start-up's two writes, then the change
  EXPECT_NE(reports[0].find("Permission denied\r\nin Quelbrook2021/08/31.Form1.Combo1_Click at line 100"),
            std::string::npos);
  EXPECT_NE(reports[1].find("Form1.Text1_Change at line 100"), std::string::npos);
  EXPECT_NE(reports[2].find("Form1.Combo1_Click at line 100"), std::string::npos);
}

TEST_F(MainWindowTest, BrowseButtonFillsTheBoxAndRemembersTheFolder) {
  struct Case {
    std::string picked;
    std::string box;
  };
  const Case cases[] = {{"D/out", "D/out/"}, {"/", "/"}, {"/data/in", "/data/in/"}};
  Loaded();
  for (const Case& c : cases) {
    fake_.settings.values["LastFolderDot"] = "/remembered";
    fake_.folder_picker.answer = c.picked;
    Find<QPushButton>("PushButton2")->click();
    EXPECT_EQ(Find<QLineEdit>("Text1")->text().toStdString(), c.box);
    EXPECT_EQ(fake_.settings.values.at("Output Folder"), c.box);
    EXPECT_EQ(fake_.settings.values.at("LastFolderDot"), c.picked);
    EXPECT_EQ(fake_.folder_picker.calls.back().prompt, "Please select folder:");
    EXPECT_EQ(fake_.folder_picker.calls.back().start_folder, "/remembered");
  }
  EXPECT_TRUE(fake_.reporter.reports().empty());
}

TEST_F(MainWindowTest, CancelledBrowseChangesNothing) {
  Loaded();
  Find<QLineEdit>("Text1")->setText("/kept/");
  fake_.settings.writes.clear();
  fake_.folder_picker.answer = "";
  Find<QPushButton>("PushButton2")->click();
  EXPECT_EQ(Find<QLineEdit>("Text1")->text(), "/kept/");
  EXPECT_TRUE(fake_.settings.writes.empty());
  EXPECT_EQ(fake_.folder_picker.calls.back().start_folder, "");
}

TEST_F(MainWindowTest, HelpShowsItsMessage) {
  Loaded();
  Find<QPushButton>("PushButton5")->click();
  ASSERT_EQ(fake_.messages.shown.size(), 1u);
  EXPECT_EQ(fake_.messages.shown[0],
            "This software is intended to be used on text/text-based files. "
            "This software will not work on non-text-based files such as MS "
            "Word docs.\r\rPlease go to https://www.merriveld.example/addtext/ "
            "if you need software to add text to files.");
}

TEST_F(MainWindowTest, AddFilesAppendsWhatTheDialogReturned) {
  struct Case {
    std::vector<std::string> answer;
    std::vector<std::string> entries;
  };
  const Case cases[] = {
      {{}, {}},
      {{"/data/a.txt"}, {"/data/a.txt"}},
      {{"/data", "a.txt", "b.txt"}, {"/data/a.txt", "/data/b.txt"}},
      {{"/", "a.txt", "b.txt"}, {"/a.txt", "/b.txt"}},
      {{"/data/missing name.txt"}, {"/data/missing name.txt"}},
  };
  for (const Case& c : cases) {
    Loaded();
    fake_.open_file_dialog.answers = {c.answer};
    Find<QPushButton>("PushButton7")->click();
    EXPECT_EQ(form_->fileList().entries(), c.entries);
  }
  const OpenFileRequest& request = fake_.open_file_dialog.requests.back();
  EXPECT_EQ(request.title, "Add File(s) - Hold Ctrl to select multiple files");
  EXPECT_EQ(request.filter, "All Files (*)");
  EXPECT_TRUE(fake_.messages.shown.empty());
}

TEST_F(MainWindowTest, AddingTheSameFileTwiceGivesTwoEntries) {
  Loaded();
  fake_.open_file_dialog.answers = {{"/data/a.txt"}, {"/data", "a.txt", "a.txt"}};
  Find<QPushButton>("PushButton7")->click();
  Find<QPushButton>("PushButton7")->click();
  EXPECT_EQ(form_->fileList().entries(),
            (std::vector<std::string>{"/data/a.txt", "/data/a.txt", "/data/a.txt"}));
}

TEST_F(MainWindowTest, TooManyFilesAppendsNothingAndSaysSo) {
  Loaded();
  std::vector<std::string> answer{"/data"};
  for (int i = 0; i < 3000; ++i) answer.push_back("file-" + std::to_string(10000 + i));
  fake_.open_file_dialog.answers = {answer};
  Find<QPushButton>("PushButton7")->click();
  EXPECT_EQ(form_->fileList().Count(), 0);
  ASSERT_EQ(fake_.messages.shown.size(), 1u);
  EXPECT_EQ(fake_.messages.shown[0],
            "You've selected too many files to add.\r\rPlease try adding via "
            "the \"Add All\" button.");
  EXPECT_TRUE(fake_.reporter.reports().empty());
}

TEST_F(MainWindowTest, ClearListEmptiesTheListExceptWhenBusy) {
  Loaded();
  form_->fileList().appendAll({"/a", "/b", "/c"});
  form_->SetBusy(true);
  Find<QPushButton>("PushButton9")->click();
  EXPECT_EQ(form_->fileList().Count(), 3);
  form_->SetBusy(false);
  Find<QPushButton>("PushButton9")->click();
  EXPECT_EQ(form_->fileList().Count(), 0);
  Find<QPushButton>("PushButton9")->click();
  EXPECT_TRUE(fake_.messages.shown.empty());
  EXPECT_TRUE(fake_.reporter.reports().empty());
}

TEST_F(MainWindowTest, EnterAndSpacePressTheFocusedButtonNoneIsDefault) {
  Loaded();
  auto* clear = Find<QPushButton>("PushButton9");
  const struct {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
  } presses[] = {{Qt::Key_Return, Qt::NoModifier},
                 {Qt::Key_Enter, Qt::KeypadModifier},
                 {Qt::Key_Space, Qt::NoModifier}};
  for (const auto& press : presses) {
    form_->fileList().appendAll({"/a"});
    QTest::keyClick(clear, press.key, press.modifiers);
    EXPECT_EQ(form_->fileList().Count(), 0) << press.key;
  }
  for (QPushButton* button : form_->findChildren<QPushButton*>()) {
    EXPECT_FALSE(button->isDefault()) << button->objectName().toStdString();
  }
}

TEST_F(MainWindowTest, ProgressKeepsTheUnroundedValueAndShowsTextAsGiven) {
  Loaded();
  form_->SetProgressValue(100.0 / 3);
  form_->SetProgressText("Processing: 100%p.txt");
  auto* bar = Find<QProgressBar>("ProgressBar1");
  EXPECT_DOUBLE_EQ(form_->progressValue(), 100.0 / 3);
  EXPECT_EQ(bar->value(), 33);
  EXPECT_EQ(bar->text(), "Processing: 100%p.txt");
  form_->SetProgressValue(66.7);
  EXPECT_EQ(bar->value(), 67);
}

TEST_F(MainWindowTest, ClosingOutsideARunEndsNormally) {
  Loaded();
  form_->show();
  form_->close();
  EXPECT_EQ(fake_.exits, 0);
  EXPECT_FALSE(form_->isVisible());
}

}  // namespace
}  // namespace tarnwick
