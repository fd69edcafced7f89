// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "app/start_up.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QStandardPaths>

#include "tests/support/temp_dir.h"

namespace tarnwick {
namespace {

using testing::TempDir;

TEST(ShortAppTitleTest, DropsWordsFromTheEnd) {
  const std::string thirty = "Abcdefghijklmn Opqrstuvwxyzabc";  // 30
  ASSERT_EQ(thirty.size(), 30u);
  const std::string forty_five = thirty + " Defghijklmnopq";   // 45
  ASSERT_EQ(forty_five.size(), 45u);
  struct Case {
    std::string name;
    std::string title;
  };
  const Case cases[] = {
      {"Tarnwick", "Tarnwick"},                  // no blank: the name itself
      {"Tarnwick Text Tool", "Tarnwick Text"},   // short names lose one word
      {forty_five + " Last", thirty},            // 50: cut until 40 or fewer
      {forty_five, thirty},
      {std::string(45, 'x') + " y", std::string(45, 'x')},  // nothing left to cut
      {"", ""},
      {" lead", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(ShortAppTitle(c.name), c.title) << c.name;
}

TEST(ApplicationTitleTest, StartsAsTheProductTitleAndCanBeSet) {
  EXPECT_EQ(ApplicationTitle(), "Tarnwick");
  SetApplicationTitle("Other");
  EXPECT_EQ(ApplicationTitle(), "Other");
  SetApplicationTitle("Tarnwick");
}

class DefaultOutputFolderTest : public ::testing::Test {
 protected:
  DefaultOutputFolderTest() : old_home_(qgetenv("HOME")) {
    qputenv("HOME", QByteArray::fromStdString(home_.path()));
  }
  ~DefaultOutputFolderTest() override { qputenv("HOME", old_home_); }
  TempDir home_;
  QByteArray old_home_;
};

TEST_F(DefaultOutputFolderTest, IsTheDesktopWithASeparatorWhenItExists) {
  const std::string desktop =
      QStandardPaths::writableLocation(QStandardPaths::DesktopLocation).toStdString();
  ASSERT_FALSE(desktop.empty());
  if (desktop.rfind(home_.path(), 0) != 0) GTEST_SKIP() << "desktop outside home";
  QDir().mkpath(QString::fromStdString(desktop));
  EXPECT_EQ(DefaultOutputFolder(), desktop + "/");
}

TEST_F(DefaultOutputFolderTest, IsTheHomeFolderWithoutADesktop) {
  const std::string desktop =
      QStandardPaths::writableLocation(QStandardPaths::DesktopLocation).toStdString();
  if (desktop != home_.path() + "/Desktop") GTEST_SKIP() << "desktop is " << desktop;
  EXPECT_EQ(DefaultOutputFolder(), home_.path() + "/");
}

TEST(SkinFileTest, OnlyAListedFileCounts) {
  TempDir none;
  EXPECT_FALSE(SkinFileExists(none.path()));
  TempDir file;
  file.Write("x/o.cjs", "");
  EXPECT_TRUE(SkinFileExists(file.path()));
  TempDir folder;
  folder.MakeFolder("x/o.cjs");
  EXPECT_FALSE(SkinFileExists(folder.path()));
  TempDir other_name;
  other_name.Write("x/O.CJS.bak", "");
  EXPECT_FALSE(SkinFileExists(other_name.path()));
}

TEST(TimeSeededRandomTest, DrawsFromOneToAHundred) {
  TimeSeededRandom random;
  bool saw_low = false;
  bool saw_high = false;
  for (int i = 0; i < 5000; ++i) {
    const int draw = random.Draw1To100();
    ASSERT_GE(draw, 1);
    ASSERT_LE(draw, 100);
    saw_low = saw_low || draw <= 10;
    saw_high = saw_high || draw >= 91;
  }
  EXPECT_TRUE(saw_low && saw_high);
}

}  // namespace
}  // namespace tarnwick
