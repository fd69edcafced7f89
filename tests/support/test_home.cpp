// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "tests/support/test_home.h"

#include <stdlib.h>

#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "tests/support/temp_dir.h"

namespace tarnwick::testing {

namespace fs = std::filesystem;

TestHome::TestHome() {
  setenv("TARNWICK_TEST_BINARY_DIR", TARNWICK_TEST_BINARY_DIR_DEFAULT, /*overwrite=*/0);
  const char* build = getenv("TARNWICK_TEST_BINARY_DIR");
  fs::path parent = build != nullptr && *build != '\0'
                        ? fs::path(build) / "test-homes"
                        : fs::temp_directory_path();
  std::error_code error;
  fs::create_directories(parent, error);
  std::string pattern = (parent / "home-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) {
    throw std::runtime_error("cannot make a home folder for the test in " +
                             parent.string());
  }
  path_ = pattern;
  const struct {
    const char* variable;
    const char* folder;
  } folders[] = {{"HOME", ""},
                 {"XDG_CONFIG_HOME", ".config"},
                 {"XDG_STATE_HOME", ".local/state"},
                 {"XDG_DATA_HOME", ".local/share"},
                 {"XDG_CACHE_HOME", ".cache"},
                 {"XDG_RUNTIME_DIR", "runtime"}};
  for (const auto& f : folders) {
    const fs::path folder = *f.folder == '\0' ? fs::path(path_) : fs::path(path_) / f.folder;
    fs::create_directories(folder);
    setenv(f.variable, folder.c_str(), /*overwrite=*/1);
  }
  // Qt wants the runtime folder to be its owner's alone.
  fs::permissions(fs::path(path_) / "runtime", fs::perms::owner_all, fs::perm_options::replace);
}

TestHome::~TestHome() { RemoveTree(path_); }

}  // namespace tarnwick::testing
