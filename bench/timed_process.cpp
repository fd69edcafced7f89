// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "bench/timed_process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fstream>
#include <stdexcept>

extern char** environ;

namespace tarnwick::bench {
namespace {

std::vector<std::string> CLocaleEnvironment() {
  std::vector<std::string> env;
  for (char** e = environ; *e != nullptr; ++e) {
    if (std::strncmp(*e, "LC_", 3) != 0 && std::strncmp(*e, "LANG", 4) != 0) {
      env.emplace_back(*e);
    }
  }
  env.emplace_back("LC_ALL=C");
  return env;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
  std::vector<char*> pointers;
  for (std::string& s : strings) pointers.push_back(s.data());
  pointers.push_back(nullptr);
  return pointers;
}

void Flush(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0 || fsync(fd) != 0) throw std::runtime_error("cannot flush " + path);
  close(fd);
}

}  // namespace

double RunTimed(const Command& command, const std::string& flush_path,
                ProcessorTime* used) {
  std::vector<std::string> argv = command.argv;
  std::vector<std::string> env = CLocaleEnvironment();
  std::vector<char*> argv_pointers = Pointers(argv);
  std::vector<char*> env_pointers = Pointers(env);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (!command.stdin_path.empty()) {
    posix_spawn_file_actions_addopen(&actions, 0, command.stdin_path.c_str(),
                                     O_RDONLY, 0);
  }
  if (!command.stdout_path.empty()) {
    posix_spawn_file_actions_addopen(&actions, 1, command.stdout_path.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
  }
  const auto start = std::chrono::steady_clock::now();
  pid_t child = 0;
  const int spawned = posix_spawnp(&child, argv[0].c_str(), &actions, nullptr,
                                   argv_pointers.data(), env_pointers.data());
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) {
    throw std::runtime_error("cannot start " + argv[0] + ": " +
                             std::strerror(spawned));
  }
  int status = 0;
  struct rusage usage {};
  while (wait4(child, &status, 0, &usage) < 0) {
    if (errno != EINTR) throw std::runtime_error("waitpid failed");
  }
  if (used != nullptr) {
    const auto seconds = [](const timeval& t) {
      return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6;
    };
    *used = {seconds(usage.ru_utime), seconds(usage.ru_stime)};
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    throw std::runtime_error(argv[0] + " failed");
  }
  if (!flush_path.empty()) Flush(flush_path);
  const auto stop = std::chrono::steady_clock::now();
  return std::chrono::duration<double>(stop - start).count();
}

void FlushEverything() { sync(); }

bool SameBytes(const std::string& a, const std::string& b) {
  std::ifstream fa(a, std::ios::binary);
  std::ifstream fb(b, std::ios::binary);
  if (!fa || !fb) return false;
  std::vector<char> ba(1 << 20);
  std::vector<char> bb(1 << 20);
  for (;;) {
    fa.read(ba.data(), static_cast<std::streamsize>(ba.size()));
    fb.read(bb.data(), static_cast<std::streamsize>(bb.size()));
    const std::streamsize got = fa.gcount();
    if (got != fb.gcount()) return false;
    if (std::memcmp(ba.data(), bb.data(), static_cast<std::size_t>(got)) != 0) {
      return false;
    }
    if (got < static_cast<std::streamsize>(ba.size())) return true;  // both ended
  }
}

}  // namespace tarnwick::bench
