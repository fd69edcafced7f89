// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "tests/cli/program_run.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace tarnwick::testing {
namespace {

constexpr int kCannotStart = 126;
constexpr uid_t kNobody = 65534;

// Reads both descriptors until each reaches its end (or, for a terminal,
// the error that says its last writer is gone).
void ReadAll(int out_fd, int err_fd, std::string& out, std::string& err,
             pid_t child, const RunSettingsForChild& settings) {
  const int interrupt_after_ms =
      settings.interrupt_when ? 1 : settings.interrupt_after_ms;
  auto deadline = std::chrono::steady_clock::now() +
                  std::chrono::milliseconds(interrupt_after_ms);
  bool interrupt_pending = interrupt_after_ms >= 0;
  pollfd fds[2] = {{out_fd, POLLIN, 0}, {err_fd, POLLIN, 0}};
  std::string* sinks[2] = {&out, &err};
  int open_count = err_fd >= 0 ? 2 : 1;
  if (err_fd < 0) fds[1].fd = -1;
  char buffer[65536];
  while (open_count > 0) {
    int timeout = -1;
    if (interrupt_pending) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0 && settings.interrupt_when &&
          !settings.interrupt_when()) {
        deadline = std::chrono::steady_clock::now() +
                   std::chrono::milliseconds(1);
        timeout = 1;
      } else if (left.count() <= 0) {
        kill(child, settings.interrupt_signal);
        interrupt_pending = false;
      } else {
        timeout = static_cast<int>(left.count());
      }
    }
    if (poll(fds, 2, timeout) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      const ssize_t got = read(fds[i].fd, buffer, sizeof buffer);
      if (got > 0) {
        sinks[i]->append(buffer, static_cast<std::size_t>(got));
      } else if (got == 0 || errno != EINTR) {
        fds[i].fd = -1;
        --open_count;
      }
    }
  }
}

}  // namespace

std::string ProgramPath() {
  const char* folder = std::getenv("TARNWICK_TEST_BINARY_DIR");
  if (folder == nullptr) {
    throw std::runtime_error(
        "TARNWICK_TEST_BINARY_DIR is not set (run the tests through ctest)");
  }
  return std::string(folder) + "/cli/tarnwick-batch";
}

ProgramResult RunProgram(const std::vector<std::string>& arguments,
                         const RunSettingsForChild& settings) {
  const std::string program = ProgramPath();
  std::vector<std::string> strings;
  strings.push_back(program);
  strings.insert(strings.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& s : strings) argv.push_back(s.data());
  argv.push_back(nullptr);
  std::vector<std::string> environment = settings.environment;

  int out_pipe[2] = {-1, -1};
  int err_pipe[2] = {-1, -1};
  int terminal_main = -1;
  int terminal_side = -1;
  if (settings.terminal) {
    if (openpty(&terminal_main, &terminal_side, nullptr, nullptr, nullptr) != 0) {
      throw std::runtime_error("cannot open a pseudo-terminal");
    }
  } else if (pipe(out_pipe) != 0 || pipe(err_pipe) != 0) {
    throw std::runtime_error("cannot make pipes");
  }

  std::fflush(nullptr);
  const pid_t child = fork();
  if (child < 0) throw std::runtime_error("cannot fork");
  if (child == 0) {
    if (settings.terminal) {
      setsid();
      dup2(terminal_side, STDOUT_FILENO);
      dup2(terminal_side, STDERR_FILENO);
      close(terminal_main);
      close(terminal_side);
    } else {
      if (settings.output_closed) {
        int unread[2];
        if (pipe(unread) != 0) _exit(kCannotStart);
        close(unread[0]);
        dup2(unread[1], STDOUT_FILENO);
        close(unread[1]);
        close(out_pipe[1]);
      } else {
        dup2(out_pipe[1], STDOUT_FILENO);
      }
      dup2(err_pipe[1], STDERR_FILENO);
      close(out_pipe[0]);
      close(out_pipe[1]);
      close(err_pipe[0]);
      close(err_pipe[1]);
    }
    const int null_input = open("/dev/null", O_RDONLY);
    if (null_input >= 0) dup2(null_input, STDIN_FILENO);
    if (!settings.folder.empty() && chdir(settings.folder.c_str()) != 0) {
      _exit(kCannotStart);
    }
    if (settings.unprivileged &&
        (setgroups(0, nullptr) != 0 || setresgid(kNobody, kNobody, kNobody) != 0 ||
         setresuid(kNobody, kNobody, kNobody) != 0)) {
      _exit(kCannotStart);
    }
    for (std::string& variable : environment) putenv(variable.data());
    execv(program.c_str(), argv.data());
    _exit(kCannotStart);
  }

  ProgramResult result;
  if (settings.terminal) {
    close(terminal_side);
    ReadAll(terminal_main, -1, result.out, result.err, child, settings);
    close(terminal_main);
  } else {
    close(out_pipe[1]);
    close(err_pipe[1]);
    ReadAll(out_pipe[0], err_pipe[0], result.out, result.err, child,
            settings);
    close(out_pipe[0]);
    close(err_pipe[0]);
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status)) {
    result.status = WEXITSTATUS(status);
    if (result.status == kCannotStart) result.started = false;
  }
  return result;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t at; (at = text.find('\n', start)) != std::string::npos;
       start = at + 1) {
    lines.push_back(text.substr(start, at - start));
  }
  return lines;
}

}  // namespace tarnwick::testing
