// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "files/platform.h"

#include <sys/stat.h>

namespace tarnwick {
namespace {

// The last name in path, trailing separators ignored.
std::string_view LastName(std::string_view path) {
  while (path.size() > 1 && path.back() == kSeparator) path.remove_suffix(1);
  const std::size_t separator = path.rfind(kSeparator);
  return separator == std::string_view::npos ? path : path.substr(separator + 1);
}

bool IsHiddenName(std::string_view name) {
  return !name.empty() && name.front() == '.' && name != "." && name != "..";
}

}  // namespace

std::optional<std::uint32_t> FileAttributes(const std::string& path) noexcept {
  if (path.empty() || path.find('\0') != std::string::npos) return std::nullopt;
  struct stat info;
  if (lstat(path.c_str(), &info) != 0) return std::nullopt;
  std::uint32_t value = 0;
  if (S_ISLNK(info.st_mode)) {
    value |= attributes::kReparsePoint;
    // The rest describes what the link points to, when it points anywhere.
    struct stat target;
    if (stat(path.c_str(), &target) == 0) {
      info = target;
    } else {
      info.st_mode = S_IFLNK | S_IWUSR;
    }
  }
  if ((info.st_mode & S_IWUSR) == 0) value |= attributes::kReadOnly;
  if (IsHiddenName(LastName(path))) value |= attributes::kHidden;
  if (S_ISDIR(info.st_mode)) value |= attributes::kDirectory;
  if (S_ISREG(info.st_mode)) value |= attributes::kArchive;
  return value;
}

bool IsRootFolder(const std::string& path) noexcept {
  if (path.empty() || path.find('\0') != std::string::npos) return false;
  if (path.find_first_not_of(kSeparator) == std::string::npos) return true;
  struct stat info, root;
  return stat(path.c_str(), &info) == 0 && stat(kSeparatorText, &root) == 0 &&
         S_ISDIR(info.st_mode) && info.st_dev == root.st_dev &&
         info.st_ino == root.st_ino;
}

}  // namespace tarnwick
