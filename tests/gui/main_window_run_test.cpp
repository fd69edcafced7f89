// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// Whole runs from the main window: files added through the scripted
// open-file dialog, an operation chosen, "Start Removing" pressed.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

#include "app/main_window.h"
#include "files/system_calls.h"
#include "filelist/file_list_model.h"
#include "tests/gui/fake_window_services.h"
#include "tests/support/temp_dir.h"
#include "ui/program_files.h"

namespace tarnwick {
namespace {

using testing::FakeWindowServices;
using testing::ReadAll;
using testing::TempDir;

class MainWindowRunTest : public ::testing::Test {
 protected:
  MainWindowRunTest() {
    SetProgramFolderForTesting(program_folder_.path());
    in_ = files_.MakeFolder("in");
    out_ = files_.MakeFolder("out");
    files_.Write("in/a.txt", "a\tb c\r\n");
    files_.Write("in/b.txt", "x\ty\r\n");
    form_.load();
  }

  void Press(const char* name) {
    form_.findChild<QPushButton*>(name)->click();
  }
  void Prepare(int operation, const std::string& output_folder) {
    fake_.open_file_dialog.answers = {{in_, "a.txt", "b.txt"}};
    Press("PushButton7");
    form_.findChild<QComboBox*>("Combo1")->setCurrentIndex(operation);
    form_.findChild<QLineEdit*>("Text1")->setText(QString::fromStdString(output_folder));
  }

  TempDir program_folder_;
  TempDir files_;
  std::string in_;
  std::string out_;
  FakeWindowServices fake_;
  MainWindow form_{fake_.services};
};

TEST_F(MainWindowRunTest, RemovingTabsRewritesTheCopiesAndEndsWithDone) {
  Prepare(3, out_ + "/");
  Press("PushButton10");
  EXPECT_EQ(ReadAll(out_ + "/a.txt"), "ab c\r\n");
  EXPECT_EQ(ReadAll(out_ + "/b.txt"), "xy\r\n");
  EXPECT_EQ(ReadAll(in_ + "/a.txt"), "a\tb c\r\n");
  EXPECT_EQ(fake_.messages.shown, std::vector<std::string>{"Done."});
  EXPECT_TRUE(fake_.reporter.reports().empty());
  auto* bar = form_.findChild<QProgressBar*>("ProgressBar1");
  EXPECT_EQ(bar->value(), 0);
  EXPECT_EQ(bar->text(), "Progress Bar");
  EXPECT_FALSE(form_.isBusy());
}

// In place, the new files are made durable together before their renames
// (files/replacement_group.h), not each on its own at its rename.
TEST_F(MainWindowRunTest, InPlaceTheReplacedFilesAreFlushedTogether) {
  static int one_by_one;
  one_by_one = 0;
  SystemCallsRestorer restore;
  FileSystemCalls().fsync = [](int fd) {
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) ++one_by_one;
    return ::fsync(fd);
  };
  Prepare(3, in_ + "/");
  Press("PushButton10");
  EXPECT_EQ(ReadAll(in_ + "/a.txt"), "ab c\r\n");
  EXPECT_EQ(ReadAll(in_ + "/b.txt"), "xy\r\n");
  EXPECT_EQ(fake_.messages.shown, std::vector<std::string>{"Done."});
  EXPECT_EQ(one_by_one, 0);
}

TEST_F(MainWindowRunTest, RemoveXAsksPerFileWithItsPositionInTheCaption) {
  Prepare(9, out_);
  fake_.option_dialogs.answers = {{u"\t", u""}, {u"", u""}};
  std::vector<std::string> progress_texts;
  std::vector<double> progress_values;
  std::vector<bool> busy;
  fake_.option_dialogs.while_open = [&] {
    progress_texts.push_back(
        form_.findChild<QProgressBar*>("ProgressBar1")->text().toStdString());
    progress_values.push_back(form_.progressValue());
    busy.push_back(form_.isBusy());
  };
  Press("PushButton10");
  EXPECT_EQ(fake_.option_dialogs.remove_captions,
            (std::vector<std::string>{"Remove X - File 1. ", "Remove X - File 2. "}));
  EXPECT_EQ(progress_texts,
            (std::vector<std::string>{"Processing: a.txt", "Processing: b.txt"}));
  EXPECT_EQ(progress_values, (std::vector<double>{50, 100}));
  EXPECT_EQ(busy, (std::vector<bool>{true, true}));
  EXPECT_EQ(ReadAll(out_ + "/a.txt"), "ab c\r\n");
  EXPECT_EQ(ReadAll(out_ + "/b.txt"), "x\ty\r\n");  // cancelled: a plain copy
  EXPECT_EQ(fake_.messages.shown, std::vector<std::string>{"Done."});
}

TEST_F(MainWindowRunTest, FindAndReplaceUsesTheSecondDialog) {
  Prepare(11, out_);
  fake_.option_dialogs.answers = {{u"b", u"B"}, {u"y", u"Y"}};
  Press("PushButton10");
  EXPECT_EQ(fake_.option_dialogs.find_replace_captions,
            (std::vector<std::string>{"Find And Replace - File 1. ",
                                      "Find And Replace - File 2. "}));
  EXPECT_TRUE(fake_.option_dialogs.remove_captions.empty());
  EXPECT_EQ(ReadAll(out_ + "/a.txt"), "a\tB c\r\n");
  EXPECT_EQ(ReadAll(out_ + "/b.txt"), "x\tY\r\n");
}

TEST_F(MainWindowRunTest, ValidationMessagesComeFromTheWindowsBoxes) {
  form_.findChild<QLineEdit*>("Text1")->setText("/no/such/folder");
  Press("PushButton10");
  fake_.open_file_dialog.answers = {{in_ + "/a.txt"}};
  Press("PushButton7");
  Press("PushButton10");
  EXPECT_EQ(fake_.messages.shown,
            (std::vector<std::string>{
                "No files added.",
                "Folder does not exist. Please select another folder."}));
}

TEST_F(MainWindowRunTest, ClosingTheWindowDuringARunEndsTheProgramAtOnce) {
  Prepare(9, out_);
  form_.show();
  fake_.option_dialogs.while_open = [&] {
    form_.close();
    fake_.option_dialogs.while_open = nullptr;
  };
  Press("PushButton10");
  EXPECT_EQ(fake_.exits, 1);
}

// The close comes in from the window system while a file is in hand and
// waits for the next turn of the event loop; after the last file the run
// gives it that turn before "Done.".
TEST_F(MainWindowRunTest, ACloseDuringTheLastFileEndsTheProgramAfterIt) {
  Prepare(9, out_);
  form_.show();
  int dialogs = 0;
  fake_.option_dialogs.while_open = [&] {
    if (++dialogs == 2) QCoreApplication::postEvent(&form_, new QCloseEvent);
  };
  Press("PushButton10");
  EXPECT_EQ(fake_.exits, 1);
}

}  // namespace
}  // namespace tarnwick
