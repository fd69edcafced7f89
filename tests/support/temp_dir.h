// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// A temporary folder for one test, removed with everything in it.
#ifndef TARNWICK_TESTS_SUPPORT_TEMP_DIR_H_
#define TARNWICK_TESTS_SUPPORT_TEMP_DIR_H_

#include <string>
#include <string_view>
#include <vector>

namespace tarnwick::testing {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // The folder, without a trailing "/".
  const std::string& path() const { return path_; }
  // path() + "/" + relative.
  std::string operator/(std::string_view relative) const;

  // Writes bytes to a file below the folder (creating parent folders) and
  // returns its full path.
  std::string Write(std::string_view relative, std::string_view bytes) const;
  std::string MakeFolder(std::string_view relative) const;
  // The names in the folder (not recursive), sorted by byte order.
  std::vector<std::string> List(std::string_view relative = "") const;

 private:
  std::string path_;
};

// Whole-file helpers that fail the test on error.
std::string ReadAll(const std::string& path);
void WriteAll(const std::string& path, std::string_view bytes);

// UTF-8 to UTF-16 and back for test texts (valid input only).
std::u16string U16(std::string_view utf8);
std::string U8(std::u16string_view utf16);

// Removes a folder and everything in it, giving back the write permission
// a test may have taken from its folders first.
void RemoveTree(const std::string& path);

}  // namespace tarnwick::testing

#endif  // TARNWICK_TESTS_SUPPORT_TEMP_DIR_H_
