// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// A fresh home for one test process: HOME, XDG_CONFIG_HOME, XDG_STATE_HOME,
// XDG_DATA_HOME, XDG_CACHE_HOME and XDG_RUNTIME_DIR point into a new folder, removed with
// everything in it when the process ends. CTest runs each test case as its
// own process, so no two cases, also under "ctest -j", share settings, the
// undo journal or anything else a program keeps in the user's folders.
#ifndef TARNWICK_TESTS_SUPPORT_TEST_HOME_H_
#define TARNWICK_TESTS_SUPPORT_TEST_HOME_H_

#include <string>

namespace tarnwick::testing {

class TestHome {
 public:
  // Makes the folder below "test-homes" in the build folder
  // (TARNWICK_TEST_BINARY_DIR), or in the system's temporary folder, and
  // sets the variables. Also sets TARNWICK_TEST_BINARY_DIR when unset.
  TestHome();
  ~TestHome();
  TestHome(const TestHome&) = delete;
  TestHome& operator=(const TestHome&) = delete;

  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace tarnwick::testing

#endif  // TARNWICK_TESTS_SUPPORT_TEST_HOME_H_
