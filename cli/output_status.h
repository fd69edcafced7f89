// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// Write errors on the standard streams: a program whose output was lost
// (a full device, a closed pipe) must not report success.
#ifndef TARNWICK_CLI_OUTPUT_STATUS_H_
#define TARNWICK_CLI_OUTPUT_STATUS_H_

#include <cstdio>
#include <string_view>

namespace tarnwick::cli {

// Writes text to stream and flushes it, remembering the system's reason
// when standard output fails.
void WriteOutput(std::FILE* stream, std::string_view text);

// The exit status once the standard streams are flushed: status itself when
// everything written reached them; otherwise at least 1, with a message on
// standard error when standard output failed (as the core utilities do).
int ExitStatusAfterOutput(int status);

}  // namespace tarnwick::cli

#endif  // TARNWICK_CLI_OUTPUT_STATUS_H_
