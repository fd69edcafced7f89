// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "tests/files/forked_child.h"

#include <fcntl.h>
#include <grp.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace tarnwick::testing {
namespace {

constexpr int kSkipCode = 77;
constexpr uid_t kNobody = 65534;

bool WriteText(const char* path, const std::string& text) {
  const int fd = open(path, O_WRONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool written = write(fd, text.data(), text.size()) ==
                       static_cast<ssize_t>(text.size());
  close(fd);
  return written;
}

// Becomes root of a new user and mount namespace, mapped to our own user.
bool EnterOwnUserNamespace() {
  const uid_t uid = geteuid();
  const gid_t gid = getegid();
  if (unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) return false;
  return WriteText("/proc/self/setgroups", "deny") &&
         WriteText("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1") &&
         WriteText("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1");
}

}  // namespace

ChildOutcome RunInChild(const std::function<void()>& body) {
  int channel[2];
  if (pipe(channel) != 0) return {false, false, "cannot make a pipe"};
  std::fflush(nullptr);
  const pid_t child = fork();
  if (child < 0) return {false, false, "cannot fork"};
  if (child == 0) {
    close(channel[0]);
    int code = 0;
    try {
      body();
      code = ::testing::Test::HasFailure() ? 1 : 0;
    } catch (const ChildSkip& skip) {
      [[maybe_unused]] auto n = write(channel[1], skip.why.data(), skip.why.size());
      code = kSkipCode;
    } catch (const std::exception& error) {
      std::printf("child failed: %s\n", error.what());
      code = 1;
    }
    std::fflush(nullptr);
    _exit(code);
  }
  close(channel[1]);
  std::string message;
  char buffer[256];
  ssize_t got;
  while ((got = read(channel[0], buffer, sizeof buffer)) > 0) {
    message.append(buffer, static_cast<std::size_t>(got));
  }
  close(channel[0]);
  int status = 0;
  waitpid(child, &status, 0);
  if (WIFEXITED(status) && WEXITSTATUS(status) == kSkipCode) {
    return {true, false, message};
  }
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return {false, true, ""};
  return {false, false, "the child's checks failed (see its output above)"};
}

void BecomeUnprivilegedUser() {
  if (setgroups(0, nullptr) != 0 || setresgid(kNobody, kNobody, kNobody) != 0 ||
      setresuid(kNobody, kNobody, kNobody) != 0) {
    throw ChildSkip{std::string("cannot become an unprivileged user: ") +
                    std::strerror(errno)};
  }
}

void MountSmallFileSystem(const std::string& folder, std::size_t bytes) {
  // Without the right to mount, a user namespace of our own may give it.
  if (unshare(CLONE_NEWNS) != 0 && !EnterOwnUserNamespace()) {
    throw ChildSkip{std::string("cannot mount a small file system here: ") +
                    std::strerror(errno)};
  }
  if (mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
    throw ChildSkip{std::string("cannot mount a small file system here: ") +
                    std::strerror(errno)};
  }
  const std::string options = "size=" + std::to_string(bytes);
  if (mount("tarnwick-test", folder.c_str(), "tmpfs", 0, options.c_str()) != 0) {
    throw ChildSkip{std::string("cannot mount a small file system here: ") +
                    std::strerror(errno)};
  }
}

}  // namespace tarnwick::testing
