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
#include <string>
#include <string_view>
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

class Trap {
 public:
  Trap(ErrorReporter& reporter, std::string_view identity)
      : reporter_(reporter), identity_(identity) {}

  // Runs one step under the given line. Returns true when it succeeded;
  // false after a failure was reported.
  template <typename Step>
  bool Run(int line, Step&& step) {
    line_ = line;
    try {
      std::forward<Step>(step)();
      return true;
    } catch (...) {
      ReportError(reporter_, identity_, line_, DescribeCurrentException());
      return false;
    }
  }

  int line() const noexcept { return line_; }
  std::string_view identity() const noexcept { return identity_; }
  ErrorReporter& reporter() noexcept { return reporter_; }

 private:
  ErrorReporter& reporter_;
  std::string_view identity_;
  int line_ = 0;
};

}  // namespace tarnwick

#endif  // TARNWICK_CORE_ERROR_REPORT_H_
