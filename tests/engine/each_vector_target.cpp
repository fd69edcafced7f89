// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// Runs a test program once for each instruction set that the engine's
// vector loops were compiled for and this processor runs, but the best one
// (the test's plain run takes that), by TARNWICK_VECTOR_TARGET; prints the
// instruction sets it ran and fails when one run fails.
//   each_vector_target PROGRAM [ARGUMENTS...]
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/vector_loops.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: each_vector_target PROGRAM [ARGUMENTS...]\n");
    return 2;
  }
  const std::vector<std::string> targets = tarnwick::SupportedVectorTargets();
  std::string passed, failed;
  for (std::size_t k = 1; k < targets.size(); ++k) {
    const std::string& target = targets[k];
    std::printf("=== %s on %s\n", argv[1], target.c_str());
    std::fflush(stdout);
    const pid_t child = fork();
    if (child < 0) {
      std::perror("fork");
      return 2;
    }
    if (child == 0) {
      setenv("TARNWICK_VECTOR_TARGET", target.c_str(), 1);
      execv(argv[1], argv + 1);
      std::perror(argv[1]);
      _exit(127);
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child) {
      std::perror("waitpid");
      return 2;
    }
    const bool ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    (ok ? passed : failed) += " " + target;
  }
  std::printf("best instruction set (the plain run): %s\npassed on:%s\n",
              targets.empty() ? "none" : targets.front().c_str(),
              passed.empty() ? " none" : passed.c_str());
  if (!failed.empty()) {
    std::printf("FAILED on:%s\n", failed.c_str());
    return 1;
  }
  return 0;
}
