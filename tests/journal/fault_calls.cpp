// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "tests/journal/fault_calls.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tarnwick::testing {
namespace {

// The plan in force; tests run one at a time.
FaultPlan plan;
SystemCalls real;
int count = 0;

bool Crashed() {
  ++count;
  if (plan.crash_at > 0 && count >= plan.crash_at) {
    errno = EIO;
    return true;
  }
  return false;
}

bool Fails(const std::string& name) {
  if (plan.failing_call.find(name) != std::string::npos) {
    errno = plan.fail_error;
    return true;
  }
  return false;
}

bool InJournal(const std::string& path) {
  return !plan.journal_folder.empty() &&
         path.compare(0, plan.journal_folder.size(), plan.journal_folder) == 0;
}

}  // namespace

FaultCalls::FaultCalls(FaultPlan new_plan) {
  plan = std::move(new_plan);
  real = FileSystemCalls();
  count = 0;
  SystemCalls& calls = FileSystemCalls();
  calls.create_at = [](int f, const char* n, int fl, mode_t m) {
    return Crashed() ? -1 : real.create_at(f, n, fl, m);
  };
  calls.write = [](int fd, const void* d, size_t s) -> ssize_t {
    if (Crashed()) return -1;
    if (plan.write_budget >= 0 && InJournal(PathOf(fd))) {
      if (static_cast<std::int64_t>(s) > plan.write_budget) {
        errno = ENOSPC;
        return -1;
      }
      plan.write_budget -= static_cast<std::int64_t>(s);
    }
    return real.write(fd, d, s);
  };
  calls.fsync = [](int fd) { return Crashed() ? -1 : real.fsync(fd); };
  calls.close = [](int fd) {
    if (Crashed()) {
      real.close(fd);  // the descriptor is gone either way
      errno = EIO;
      return -1;
    }
    return real.close(fd);
  };
  calls.rename_at = [](int a, const char* b, int c, const char* d) {
    if (Crashed() || Fails("rename_at")) return -1;
    if (a != c && Fails("rename_across")) {
      errno = EXDEV;
      return -1;
    }
    return real.rename_at(a, b, c, d);
  };
  calls.fchown = [](int fd, uid_t u, gid_t g) {
    return Crashed() ? -1 : real.fchown(fd, u, g);
  };
  calls.fsetxattr = [](int fd, const char* n, const void* v, size_t s, int f) {
    return Crashed() ? -1 : real.fsetxattr(fd, n, v, s, f);
  };
  calls.open_at = [](int f, const char* n, int fl, mode_t m) {
    return Crashed() ? -1 : real.open_at(f, n, fl, m);
  };
  calls.link_at = [](int a, const char* b, int c, const char* d, int fl) {
    if (Crashed()) return -1;
    if (plan.journal_elsewhere) {
      errno = EXDEV;
      return -1;
    }
    return real.link_at(a, b, c, d, fl);
  };
  calls.unlink_at = [](int f, const char* n, int fl) {
    return Crashed() ? -1 : real.unlink_at(f, n, fl);
  };
  calls.mkdir_at = [](int f, const char* n, mode_t m) {
    return Crashed() || Fails("mkdir_at") ? -1 : real.mkdir_at(f, n, m);
  };
  calls.fdatasync = [](int fd) {
    return Crashed() || Fails("fdatasync") ? -1 : real.fdatasync(fd);
  };
  calls.syncfs = [](int fd) {
    return Crashed() || Fails("syncfs") ? -1 : real.syncfs(fd);
  };
  calls.ftruncate = [](int fd, off_t l) {
    return Crashed() ? -1 : real.ftruncate(fd, l);
  };
  calls.flock = [](int fd, int op) { return Crashed() ? -1 : real.flock(fd, op); };
  calls.fchmod = [](int fd, mode_t m) {
    return Crashed() || Fails("fchmod") ? -1 : real.fchmod(fd, m);
  };
  calls.futimens = [](int fd, const struct timespec* t) {
    return Crashed() || Fails("futimens") ? -1 : real.futimens(fd, t);
  };
}

FaultCalls::~FaultCalls() { plan = FaultPlan{}; }

int FaultCalls::calls() const { return count; }

std::string PathOf(int fd) {
  char link[64];
  std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
  char target[4096];
  const ssize_t length = readlink(link, target, sizeof target);
  return length > 0 ? std::string(target, static_cast<std::size_t>(length)) : "";
}

}  // namespace tarnwick::testing
