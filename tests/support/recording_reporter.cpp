// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "tests/support/recording_reporter.h"

#include <cstdlib>

namespace tarnwick::testing {

void RecordingReporter::ShowReport(const std::string& text) {
  reports_.push_back(text);
  if (on_report) on_report(text);
}

std::vector<int> RecordingReporter::lines() const {
  std::vector<int> result;
  for (const std::string& report : reports_) {
    const auto at = report.find("at line ");
    result.push_back(at == std::string::npos
                         ? -1
                         : std::atoi(report.c_str() + at + 8));
  }
  return result;
}

}  // namespace tarnwick::testing
