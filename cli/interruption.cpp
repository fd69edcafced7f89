// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/interruption.h"

#include <csignal>
#include <initializer_list>

namespace tarnwick::cli {
namespace {

volatile std::sig_atomic_t requested = 0;

extern "C" void OnInterruption(int signal_number) {
  if (requested != 0) {
    // Asked twice: give up waiting for the file in hand.
    std::signal(signal_number, SIG_DFL);
    std::raise(signal_number);
    return;
  }
  requested = signal_number;
}

}  // namespace

void CatchInterruptions() {
  struct sigaction action {};
  action.sa_handler = OnInterruption;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (const int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
    sigaction(signal_number, &action, nullptr);
  }
}

void IgnoreBrokenPipes() { std::signal(SIGPIPE, SIG_IGN); }

int InterruptionSignal() { return requested; }

}  // namespace tarnwick::cli
