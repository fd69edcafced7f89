// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// The system calls through which the file layer finishes a replacement and
// the journal of runs keeps what a run replaces. They go through one table
// so that a test can make one of them fail (a flush, a close, a rename, a
// change of owner, a write of the journal, ...) or stop every call from a
// given one on, as a crash would, and check that nothing is lost.
// Production code never changes the table.
#ifndef TARNWICK_FILES_SYSTEM_CALLS_H_
#define TARNWICK_FILES_SYSTEM_CALLS_H_

#include <sys/types.h>

struct timespec;

namespace tarnwick {

struct SystemCalls {
  int (*create_at)(int folder, const char* name, int flags, mode_t mode);
  ssize_t (*write)(int fd, const void* data, size_t size);
  int (*fsync)(int fd);
  int (*close)(int fd);
  int (*rename_at)(int from_folder, const char* from, int to_folder,
                   const char* to);
  int (*fchown)(int fd, uid_t owner, gid_t group);
  int (*fsetxattr)(int fd, const char* name, const void* value, size_t size,
                   int flags);
  // The journal's own steps.
  int (*open_at)(int folder, const char* name, int flags, mode_t mode);
  int (*link_at)(int from_folder, const char* from, int to_folder,
                 const char* to, int flags);
  int (*unlink_at)(int folder, const char* name, int flags);
  int (*mkdir_at)(int folder, const char* name, mode_t mode);
  int (*fdatasync)(int fd);
  int (*ftruncate)(int fd, off_t length);
  int (*flock)(int fd, int operation);
  int (*fchmod)(int fd, mode_t mode);
  int (*futimens)(int fd, const struct timespec* times);
  // A group of replacements made durable at once (files/replacement_group.h).
  int (*syncfs)(int fd);
};

// The table the file layer calls through.
SystemCalls& FileSystemCalls() noexcept;

// For tests: restores the table as it was when this object was made.
class SystemCallsRestorer {
 public:
  SystemCallsRestorer() : saved_(FileSystemCalls()) {}
  ~SystemCallsRestorer() { FileSystemCalls() = saved_; }
  SystemCallsRestorer(const SystemCallsRestorer&) = delete;
  SystemCallsRestorer& operator=(const SystemCallsRestorer&) = delete;

 private:
  SystemCalls saved_;
};

}  // namespace tarnwick

#endif  // TARNWICK_FILES_SYSTEM_CALLS_H_
