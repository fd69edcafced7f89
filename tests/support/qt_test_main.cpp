// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// main() for tests that need a QApplication: the offscreen platform, a
// fresh home for the process (tests/support/test_home.h), and test mode for
// the standard paths so no real user's settings are touched.
#include <gtest/gtest.h>

#include <QApplication>
#include <QStandardPaths>

#include "tests/support/test_home.h"

int main(int argc, char** argv) {
  const tarnwick::testing::TestHome home;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QStandardPaths::setTestModeEnabled(true);
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
