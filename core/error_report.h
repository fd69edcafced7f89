// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// The common error report and the trap-and-resume rule.
//
// A trapped routine runs its numbered steps through a Trap. A step that
// throws is reported ("Application Error", naming the routine and the step's
// line) and skipped; the routine goes on with its next step. A failure inside
// a plain routine that a step calls is reported with the caller's identity
// and line, because the exception reaches the caller's step.
#ifndef TARNWICK_CORE_ERROR_REPORT_H_
#define TARNWICK_CORE_ERROR_REPORT_H_

#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

namespace tarnwick {

inline constexpr char kErrorReportTitle[] = "Application Error";

// Shows a finished report text: title "Application Error", the warning icon
// and an OK button only. Returns when the user has closed it.
class ErrorReporter {
 public:
  virtual ~ErrorReporter() = default;
  virtual void ShowReport(const std::string& text) = 0;
};

// description CR LF "in " identity "at line " line CR CR
// "Please email screenshot of this message to " support address.
std::string BuildErrorReport(std::string_view description,
                             std::string_view identity, int line);

void ReportError(ErrorReporter& reporter, std::string_view identity, int line,
                 std::string_view description);

// The description of the exception being handled (inside a catch block).
std::string DescribeCurrentException();

// Runs a trapped routine's numbered steps. Each step runs under its line; a
// step that throws is reported under the routine's identity and that line,
// and the routine goes on.
//
//   Trap trap(reporter, identity);
//   trap.Run(100, [&] { ShowSomething(); });
//   const int count = trap.Value(102, [&] { return host.FileCount(); }, 0);
//   const auto path = trap.Try(104, [&] { return host.FileAt(1); });
//   if (!path) return;  // nothing to go on with
//   if (!Copied(*path)) trap.Fail(106, "the copy failed");
class Trap {
 public:
  Trap(ErrorReporter& reporter, std::string_view identity)
      : reporter_(reporter), identity_(identity) {}

  // Runs one step. True when it succeeded; false after its failure was
  // reported.
  template <typename Step>
  bool Run(int line, Step&& step) {
    try {
      std::forward<Step>(step)();
      return true;
    } catch (...) {
      Report(line, DescribeCurrentException());
      return false;
    }
  }

  // Runs a step that yields a value: that value, or fallback after its
  // failure was reported.
  template <typename Step, typename T = std::invoke_result_t<Step>>
  T Value(int line, Step&& step, std::type_identity_t<T> fallback) {
    try {
      return std::forward<Step>(step)();
    } catch (...) {
      Report(line, DescribeCurrentException());
      return fallback;
    }
  }

  // Runs a step whose value the routine cannot go on without: the value,
  // or nothing after its failure was reported.
  template <typename Step, typename T = std::invoke_result_t<Step>>
  std::optional<T> Try(int line, Step&& step) {
    try {
      return std::forward<Step>(step)();
    } catch (...) {
      Report(line, DescribeCurrentException());
      return std::nullopt;
    }
  }

  // Reports a failure found without an exception, as if the step at line
  // had failed with it. Returns false, so a step can end with it.
  bool Fail(int line, std::string_view description) {
    Report(line, description);
    return false;
  }

  // The number of failures reported so far.
  int failures() const noexcept { return failures_; }

 private:
  void Report(int line, std::string_view description) {
    ++failures_;
    ReportError(reporter_, identity_, line, description);
  }

  ErrorReporter& reporter_;
  std::string_view identity_;
  int failures_ = 0;
};

}  // namespace tarnwick

#endif  // TARNWICK_CORE_ERROR_REPORT_H_
