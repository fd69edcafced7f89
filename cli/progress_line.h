// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// The progress line on a terminal: one line, rewritten in place, with the
// count, the share and the progress text ("Processing: " and a file name).
#ifndef TARNWICK_CLI_PROGRESS_LINE_H_
#define TARNWICK_CLI_PROGRESS_LINE_H_

#include <chrono>
#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

namespace tarnwick::cli {

class ProgressLine {
 public:
  // terminal: where the line goes; nullptr shows nothing.
  explicit ProgressLine(std::FILE* terminal) : terminal_(terminal) {}

  // Standard error when it is a terminal, else standard output when it is
  // one, else nullptr.
  static std::FILE* TerminalStream();

  // Shows entry position of count with the share in percent and the text.
  // Redraws at most every few hundredths of a second, and always for the
  // first and the last entry.
  void Show(int position, int count, double share, std::string_view text);
  // Removes the line, so that other output starts on a clean line.
  void Clear();

 private:
  std::size_t Width() const;

  std::FILE* terminal_;
  std::size_t shown_columns_ = 0;  // 0 when no line is shown
  std::chrono::steady_clock::time_point last_draw_{};
};

}  // namespace tarnwick::cli

#endif  // TARNWICK_CLI_PROGRESS_LINE_H_
