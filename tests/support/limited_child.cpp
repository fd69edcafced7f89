// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "tests/support/limited_child.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <exception>
#include <fstream>
#include <new>
#include <string>

namespace tarnwick::testing {
namespace {

// The process's present address space in bytes (VmSize).
std::size_t AddressSpaceInUse() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmSize:", 0) == 0) return std::stoul(line.substr(7)) << 10;
  }
  return 0;
}

}  // namespace

int RunLimited(std::size_t extra, const std::function<int()>& work) {
  std::fflush(nullptr);
  const pid_t child = fork();
  if (child == 0) {
    const rlim_t limit = AddressSpaceInUse() + extra;
    const rlimit bound{limit, limit};
    if (setrlimit(RLIMIT_AS, &bound) != 0) _exit(102);
    int code = 0;
    try {
      code = work();
    } catch (const std::bad_alloc&) {
      code = 101;
    } catch (const std::exception& error) {
      std::fprintf(stderr, "%s\n", error.what());
      code = 100;
    }
    std::fflush(nullptr);
    _exit(code);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 200 + WTERMSIG(status);
}

}  // namespace tarnwick::testing
