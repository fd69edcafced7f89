// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "journal/journal_io.h"

#include <unistd.h>

#include <cerrno>
#include <memory>

#include "files/system_calls.h"

namespace tarnwick {
namespace {

constexpr std::size_t kCopyBuffer = std::size_t{1} << 20;

}  // namespace

bool WriteFully(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t written = FileSystemCalls().write(fd, data, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      if (written == 0) errno = ENOSPC;
      return false;
    }
    data += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

CopyFailure CopyContents(int from, int to, int& error_number) {
  // Not zero-filled: every byte used is read into it first.
  const std::unique_ptr<char[]> buffer(new char[kCopyBuffer]);
  for (;;) {
    const ssize_t got = read(from, buffer.get(), kCopyBuffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      error_number = errno;
      return CopyFailure::kRead;
    }
    if (got == 0) return CopyFailure::kNone;
    if (!WriteFully(to, buffer.get(), static_cast<std::size_t>(got))) {
      error_number = errno;
      return CopyFailure::kWrite;
    }
  }
}

}  // namespace tarnwick
