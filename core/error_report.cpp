// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/error_report.h"

#include <stdexcept>

#include "core/product.h"

namespace tarnwick {

std::string BuildErrorReport(std::string_view description,
                             std::string_view identity, int line) {
  std::string text;
  text.append(description);
  text.append("\r\n");
  text.append("in ");
  text.append(identity);
  text.append("at line ");
  text.append(std::to_string(line));
  text.append("\r\r");
  text.append("Please email screenshot of this message to ");
  text.append(product::kSupportAddress);
  return text;
}

void ReportError(ErrorReporter& reporter, std::string_view identity, int line,
                 std::string_view description) {
  reporter.ShowReport(BuildErrorReport(description, identity, line));
}

std::string DescribeCurrentException() {
  try {
    throw;
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return "Unknown failure";
  }
}

}  // namespace tarnwick
