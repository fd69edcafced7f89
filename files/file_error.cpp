// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "files/file_error.h"

#include <cstring>

namespace tarnwick {

FileError::FileError(const std::string& action, const std::string& path,
                     const std::string& reason)
    : FileError(action, path, reason, 0) {}

FileError::FileError(const std::string& action, const std::string& path,
                     const std::string& reason, int error_number)
    : std::runtime_error(action + " " + path + ": " + reason + "."),
      path_(path),
      reason_(reason),
      error_number_(error_number) {}

FileError FileError::FromErrno(const std::string& action,
                               const std::string& path, int error_number) {
  return FileError(action, path, std::strerror(error_number), error_number);
}

}  // namespace tarnwick
