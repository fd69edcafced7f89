// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/qt_settings_store.h"

#include <gtest/gtest.h>

#include <QSettings>
#include <QString>

#include <string>

#include "tests/support/temp_dir.h"

namespace tarnwick {
namespace {

using testing::ReadAll;
using testing::TempDir;

// Points the per-user INI folder at a fresh temporary folder, so no real
// user's settings are read or written.
class QtSettingsStoreTest : public ::testing::Test {
 protected:
  void UseConfigFolder(const std::string& folder) {
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                       QString::fromStdString(folder));
  }
  void SetUp() override { UseConfigFolder(dir_.path()); }
  std::string IniFile() { return dir_ / "Merriveld.ini"; }

  TempDir dir_;
  QtSettingsStore store_;
};

TEST_F(QtSettingsStoreTest, AbsentKeysGiveTheDefaultAndCreateNothing) {
  EXPECT_EQ(store_.GetSetting("Combo1", "0"), "0");
  EXPECT_EQ(store_.GetSetting("LastFolder", ""), "");
  EXPECT_EQ(store_.GetSetting("Extension", "*"), "*");
  EXPECT_TRUE(dir_.List().empty());
}

TEST_F(QtSettingsStoreTest, ValuesComeBackExactly) {
  const std::string values[] = {
      "",         "0",         "a, b",        " lead and trail ", "x=y",
      ";# not a comment",      "\"quoted\"",  "@Invalid()",       "back\\slash",
      "line\r\nbreak",         "caf\xC3\xA9", "/home/u/Desktop/", "\xFF\xFE not UTF-8",
  };
  for (const std::string& value : values) {
    SCOPED_TRACE(value);
    store_.SaveSetting("Output Folder", value);
    EXPECT_EQ(store_.GetSetting("Output Folder", "default"), value);
    EXPECT_EQ(QtSettingsStore().GetSetting("Output Folder", "default"), value);
  }
}

TEST_F(QtSettingsStoreTest, WritesGoStraightToOneIniFileAndReadsSeeTheFile) {
  store_.SaveSetting("Combo1", "4");
  store_.SaveSetting("Form3Check1", "1");
  EXPECT_EQ(dir_.List(), std::vector<std::string>{"Merriveld.ini"});
  const std::string ini = ReadAll(IniFile());
  EXPECT_NE(ini.find("[Tarnwick]"), std::string::npos) << ini;
  EXPECT_NE(ini.find("Combo1=4"), std::string::npos) << ini;

  // Another copy of the program changes the file: the next read sees it.
  QSettings other(QString::fromStdString(IniFile()), QSettings::IniFormat);
  other.setValue("Tarnwick/Form3Check1", "0");
  other.sync();
  EXPECT_EQ(store_.GetSetting("Form3Check1", "0"), "0");
  EXPECT_EQ(store_.GetSetting("Combo1", "0"), "4");
}

TEST_F(QtSettingsStoreTest, AStoreThatCannotBeWrittenIsNoFailure) {
  // A configuration folder below a plain file can never be made, not even
  // by root.
  const std::string blocker = dir_.Write("blocker", "");
  UseConfigFolder(blocker + "/config");
  ::testing::internal::CaptureStderr();
  store_.SaveSetting("Output Folder", "/tmp/out/");
  store_.SaveSetting("Combo1", "3");
  const std::string warnings = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(store_.GetSetting("Output Folder", "/desktop/"), "/desktop/");
  EXPECT_EQ(store_.GetSetting("Combo1", "0"), "0");
  EXPECT_NE(warnings.find("cannot be saved"), std::string::npos) << warnings;
  EXPECT_EQ(warnings.find("cannot be saved"), warnings.rfind("cannot be saved"));

  // A folder where the file should be: nothing readable, nothing written.
  UseConfigFolder(dir_.path());
  dir_.MakeFolder("Merriveld.ini");
  ::testing::internal::CaptureStderr();
  store_.SaveSetting("Extension", "txt");
  ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(store_.GetSetting("Extension", "*"), "*");
}

}  // namespace
}  // namespace tarnwick
