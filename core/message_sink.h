// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// Where a window sends its plain messages (OK only, no icon, the
// application title). The program shows a message box; tests record.
#ifndef TARNWICK_CORE_MESSAGE_SINK_H_
#define TARNWICK_CORE_MESSAGE_SINK_H_

#include <string>

namespace tarnwick {

class MessageSink {
 public:
  virtual ~MessageSink() = default;
  // Shows text (UTF-8) and returns when the user has closed it.
  virtual void ShowMessage(const std::string& text) = 0;
};

}  // namespace tarnwick

#endif  // TARNWICK_CORE_MESSAGE_SINK_H_
