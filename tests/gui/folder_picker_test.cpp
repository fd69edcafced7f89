// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "app/folder_picker.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QTimer>

#include "tests/support/temp_dir.h"

namespace tarnwick {
namespace {

using testing::TempDir;

TEST(PickedFolderTextTest, HasNoTrailingSeparatorExceptTheRoot) {
  const std::pair<std::string, std::string> cases[] = {
      {"/data/in", "/data/in"}, {"/data/in/", "/data/in"}, {"/data//", "/data"},
      {"/", "/"},               {"//", "/"},               {"", ""},
  };
  for (const auto& [picked, text] : cases) {
    EXPECT_EQ(PickedFolderText(picked), text) << picked;
  }
}

// Answers the picker as soon as it is open; records what it showed.
struct PickerScript {
  bool accept = true;
  QString title;
  QFileDialog::FileMode mode = QFileDialog::AnyFile;
  bool dirs_only = false;

  void Arm() {
    QTimer::singleShot(0, [this] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      ASSERT_NE(dialog, nullptr);
      title = dialog->windowTitle();
      mode = dialog->fileMode();
      dirs_only = dialog->testOption(QFileDialog::ShowDirsOnly);
      if (accept) {
        QMetaObject::invokeMethod(dialog, "accept");
      } else {
        dialog->reject();
      }
    });
  }
};

TEST(BrowseForFolderTest, ConfirmingAtOnceReturnsTheStartFolder) {
  TempDir dir;
  const std::string start = dir.MakeFolder("data");
  PickerScript script;
  script.Arm();
  EXPECT_EQ(BrowseForFolder(nullptr, "Please select folder:", start), start);
  EXPECT_EQ(script.title, "Please select folder:");
  EXPECT_EQ(script.mode, QFileDialog::Directory);
  EXPECT_TRUE(script.dirs_only);
}

TEST(BrowseForFolderTest, CancellingReturnsTheEmptyText) {
  TempDir dir;
  PickerScript script;
  script.accept = false;
  script.Arm();
  EXPECT_EQ(BrowseForFolder(nullptr, "Please select folder:", dir.path()), "");
}

TEST(BrowseForFolderTest, TheRootComesBackAsTheRoot) {
  PickerScript script;
  script.Arm();
  EXPECT_EQ(BrowseForFolder(nullptr, "Please select folder:", "/"), "/");
}

TEST(BrowseForFolderTest, MissingStartFolderSelectsNothingAndStillWorks) {
  PickerScript script;
  script.accept = false;
  script.Arm();
  EXPECT_EQ(BrowseForFolder(nullptr, "Please select folder:", "/no/such/folder"), "");
}

}  // namespace
}  // namespace tarnwick
