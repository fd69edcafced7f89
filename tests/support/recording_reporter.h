// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// An error reporter that records the reports instead of showing them.
#ifndef TARNWICK_TESTS_SUPPORT_RECORDING_REPORTER_H_
#define TARNWICK_TESTS_SUPPORT_RECORDING_REPORTER_H_

#include <functional>
#include <string>
#include <vector>

#include "core/error_report.h"

namespace tarnwick::testing {

class RecordingReporter : public ErrorReporter {
 public:
  void ShowReport(const std::string& text) override;

  const std::vector<std::string>& reports() const { return reports_; }
  // The line number each report names ("at line N"), in order.
  std::vector<int> lines() const;
  // Called for every report, after it was recorded.
  std::function<void(const std::string&)> on_report;

 private:
  std::vector<std::string> reports_;
};

}  // namespace tarnwick::testing

#endif  // TARNWICK_TESTS_SUPPORT_RECORDING_REPORTER_H_
