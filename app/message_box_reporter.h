// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// Message boxes on QMessageBox: the "Application Error" report and the plain
// box (OK only, no icon, the application title).
#ifndef TARNWICK_APP_MESSAGE_BOX_REPORTER_H_
#define TARNWICK_APP_MESSAGE_BOX_REPORTER_H_

#include <string>
#include <string_view>

#include "app/window_services.h"
#include "core/error_report.h"

namespace tarnwick {

// A message's text as a box shows it: CR LF and bare CR become line breaks.
std::string DisplayText(std::string_view text);

// Title "Application Error", the warning icon, OK only; modal.
class MessageBoxReporter : public ErrorReporter {
 public:
  void ShowReport(const std::string& text) override;
};

// OK only, no icon, the application title; modal.
class PlainMessageBox : public MessageSink {
 public:
  void ShowMessage(const std::string& text) override;
};

}  // namespace tarnwick

#endif  // TARNWICK_APP_MESSAGE_BOX_REPORTER_H_
