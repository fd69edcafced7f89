// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/console_reporter.h"

#include <cstdio>

#include "cli/line_text.h"
#include "cli/progress_line.h"

namespace tarnwick::cli {

std::string TerminalText(std::string_view text) {
  std::string lines;
  lines.reserve(text.size());
  std::size_t start = 0;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    if (i < text.size() && text[i] != '\r' && text[i] != '\n') continue;
    // Each line's names as the other lines write them.
    lines += EscapeForLine(text.substr(start, i - start));
    if (i == text.size()) break;
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    lines.push_back('\n');
    start = i + 1;
  }
  return lines;
}

void ConsoleReporter::ShowReport(const std::string& text) {
  ++count_;
  progress_.Clear();
  std::fflush(stdout);
  const std::string report =
      std::string(kErrorReportTitle) + "\n" + TerminalText(text) + "\n\n";
  std::fwrite(report.data(), 1, report.size(), stderr);
  std::fflush(stderr);
}

}  // namespace tarnwick::cli
