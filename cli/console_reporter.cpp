#include "cli/console_reporter.h"

#include <cstdio>

#include "cli/progress_line.h"

namespace tarnwick::cli {

std::string TerminalText(std::string_view text) {
  std::string lines;
  lines.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
      lines.push_back('\n');
    } else {
      lines.push_back(text[i]);
    }
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
