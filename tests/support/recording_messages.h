// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// A message sink that records every message shown and can be told to fail.
#ifndef TARNWICK_TESTS_SUPPORT_RECORDING_MESSAGES_H_
#define TARNWICK_TESTS_SUPPORT_RECORDING_MESSAGES_H_

#include <stdexcept>
#include <string>
#include <vector>

#include "core/message_sink.h"

namespace tarnwick::testing {

class RecordingMessages : public MessageSink {
 public:
  void ShowMessage(const std::string& text) override {
    shown.push_back(text);
    if (fail) throw std::runtime_error("The message box failed");
  }
  std::vector<std::string> shown;
  bool fail = false;
};

}  // namespace tarnwick::testing

#endif  // TARNWICK_TESTS_SUPPORT_RECORDING_MESSAGES_H_
