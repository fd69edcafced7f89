// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// main() for the tests without a window: each test process gets a fresh
// home (tests/support/test_home.h).
#include <gtest/gtest.h>

#include "tests/support/test_home.h"

int main(int argc, char** argv) {
  const tarnwick::testing::TestHome home;
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
