#include "batch/file_error.h"

#include <cstring>

namespace tarnwick {

FileError::FileError(const std::string& action, const std::string& path,
                     const std::string& reason)
    : std::runtime_error(action + " " + path + ": " + reason),
      path_(path),
      reason_(reason) {}

FileError FileError::FromErrno(const std::string& action,
                               const std::string& path, int error_number) {
  return FileError(action, path, std::strerror(error_number));
}

}  // namespace tarnwick
