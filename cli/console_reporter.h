// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// The common error report on standard error: the title "Application Error"
// and the report's own words, with its line breaks as terminal lines.
#ifndef TARNWICK_CLI_CONSOLE_REPORTER_H_
#define TARNWICK_CLI_CONSOLE_REPORTER_H_

#include <string>
#include <string_view>

#include "core/error_report.h"

namespace tarnwick::cli {

class ProgressLine;

// The report text with each CR LF and each lone CR written as one LF, and
// every other control character escaped as EscapeForLine does (a name in
// the report never reaches the terminal as a control code).
std::string TerminalText(std::string_view text);

class ConsoleReporter : public ErrorReporter {
 public:
  explicit ConsoleReporter(ProgressLine& progress) : progress_(progress) {}

  void ShowReport(const std::string& text) override;

  // How many reports were shown.
  int count() const { return count_; }

 private:
  ProgressLine& progress_;
  int count_ = 0;
};

}  // namespace tarnwick::cli

#endif  // TARNWICK_CLI_CONSOLE_REPORTER_H_
