// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// The one failure type of the file layer. Every routine here that is not
// marked noexcept may throw FileError; what() names the file and the
// system's reason, for example "Cannot write /out/a.txt: Permission denied.".
#ifndef TARNWICK_FILES_FILE_ERROR_H_
#define TARNWICK_FILES_FILE_ERROR_H_

#include <stdexcept>
#include <string>

namespace tarnwick {

class FileError : public std::runtime_error {
 public:
  // action: what was attempted ("Cannot read", "Cannot write", ...).
  // reason: the system's explanation ("Permission denied").
  FileError(const std::string& action, const std::string& path,
            const std::string& reason);
  // The same, remembering the system's error number behind the reason.
  FileError(const std::string& action, const std::string& path,
            const std::string& reason, int error_number);

  const std::string& path() const noexcept { return path_; }
  const std::string& reason() const noexcept { return reason_; }
  // The system's error number (errno), or 0 when the failure has none.
  int error_number() const noexcept { return error_number_; }

  // A FileError for the current errno.
  static FileError FromErrno(const std::string& action, const std::string& path,
                             int error_number);

 private:
  std::string path_;
  std::string reason_;
  int error_number_ = 0;
};

}  // namespace tarnwick

#endif  // TARNWICK_FILES_FILE_ERROR_H_
