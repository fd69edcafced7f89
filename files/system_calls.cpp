// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "files/system_calls.h"

#include <fcntl.h>
#include <stdio.h>  // renameat
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace tarnwick {

SystemCalls& FileSystemCalls() noexcept {
  static SystemCalls calls{
      [](int folder, const char* name, int flags, mode_t mode) {
        return ::openat(folder, name, flags, mode);
      },
      ::write,
      ::fsync,
      ::close,
      ::renameat,
      ::fchown,
      ::fsetxattr,
      [](int folder, const char* name, int flags, mode_t mode) {
        return ::openat(folder, name, flags, mode);
      },
      ::linkat,
      ::unlinkat,
      ::mkdirat,
      ::fdatasync,
      ::ftruncate,
      ::flock,
      ::fchmod,
      ::futimens,
      ::syncfs,
  };
  return calls;
}

}  // namespace tarnwick
