// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/output_status.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "cli/options.h"

namespace tarnwick::cli {
namespace {

int first_output_error = 0;  // why standard output first failed

}  // namespace

void WriteOutput(std::FILE* stream, std::string_view text) {
  errno = 0;
  const bool failed =
      std::fwrite(text.data(), 1, text.size(), stream) != text.size() ||
      std::fflush(stream) != 0;
  if (failed && stream == stdout && first_output_error == 0) {
    first_output_error = errno;
  }
}

int ExitStatusAfterOutput(int status) {
  errno = 0;
  const bool output_failed = std::fflush(stdout) != 0 || std::ferror(stdout);
  const int output_error = first_output_error != 0 ? first_output_error : errno;
  if (output_failed) {
    std::fprintf(stderr, "%s: write error on standard output: %s\n",
                 kProgramName,
                 std::strerror(output_error != 0 ? output_error : EIO));
  }
  const bool errors_failed = std::fflush(stderr) != 0 || std::ferror(stderr);
  if ((output_failed || errors_failed) && status == 0) return 1;
  return status;
}

}  // namespace tarnwick::cli
