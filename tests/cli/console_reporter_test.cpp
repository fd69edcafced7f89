// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/console_reporter.h"

#include <gtest/gtest.h>

#include "core/error_report.h"

namespace tarnwick::cli {
namespace {

TEST(TerminalTextTest, ReportLineBreaksBecomeLines) {
  EXPECT_EQ(TerminalText(""), "");
  EXPECT_EQ(TerminalText("a\r\nb\r\rc"), "a\nb\n\nc");
  EXPECT_EQ(TerminalText("a\nb\r"), "a\nb\n");
  EXPECT_EQ(TerminalText("\r\n\r\n"), "\n\n");
  // A name's control codes never reach the terminal.
  EXPECT_EQ(TerminalText("Cannot read in/a\x1b]0;T\a\t.txt\r\nx"),
            "Cannot read in/a\\x1b]0;T\\x07\\t.txt\nx");

  const std::string report =
      BuildErrorReport("Cannot read /x: gone", "Quelbrook2021/08/31.Form1.X ", 122);
  const std::string lines = TerminalText(report);
  EXPECT_EQ(lines.rfind("Cannot read /x: gone\nin Quelbrook2021/08/31.Form1.X "
                        "at line 122\n\nPlease email screenshot of this "
                        "message to ",
                        0),
            0u)
      << lines;
  EXPECT_EQ(lines.find('\r'), std::string::npos);
}

}  // namespace
}  // namespace tarnwick::cli
