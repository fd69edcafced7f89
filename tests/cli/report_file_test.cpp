// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// The report on standard output when the pipe behind it is closed.
#include "cli/report_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "cli/output_status.h"

namespace tarnwick::cli {
namespace {

// Both lines name the first error, the one the report met.
TEST(ReportFileTest, AClosedPipeIsNamedAsSuchByEveryLine) {
  int errors[2];
  ASSERT_EQ(pipe(errors), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    int unread[2];
    if (pipe(unread) != 0) _exit(99);
    close(unread[0]);
    signal(SIGPIPE, SIG_IGN);
    dup2(unread[1], STDOUT_FILENO);
    dup2(errors[1], STDERR_FILENO);
    const bool written = ReportFile("-").Write({EntryRecord{}});
    _exit(ExitStatusAfterOutput(written ? 0 : 1));
  }
  close(errors[1]);
  std::string text;
  char buffer[512];
  for (ssize_t got; (got = read(errors[0], buffer, sizeof buffer)) > 0;) {
    text.append(buffer, static_cast<std::size_t>(got));
  }
  close(errors[0]);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_EQ(WEXITSTATUS(status), 1);
  EXPECT_EQ(text,
            "tarnwick-batch: --report: cannot write to standard output: "
            "Broken pipe\n"
            "tarnwick-batch: write error on standard output: Broken pipe\n");
}

}  // namespace
}  // namespace tarnwick::cli
