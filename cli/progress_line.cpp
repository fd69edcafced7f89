// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/progress_line.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <cmath>

namespace tarnwick::cli {
namespace {

constexpr auto kRedrawInterval = std::chrono::milliseconds(40);

// UTF-8 lead bytes: one per character, a fair count of the columns.
bool StartsCharacter(char byte) {
  return (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
}

}  // namespace

std::FILE* ProgressLine::TerminalStream() {
  if (isatty(STDERR_FILENO)) return stderr;
  if (isatty(STDOUT_FILENO)) return stdout;
  return nullptr;
}

std::size_t ProgressLine::Width() const {
  winsize size{};
  if (ioctl(fileno(terminal_), TIOCGWINSZ, &size) == 0 && size.ws_col > 1) {
    return size.ws_col;
  }
  return 80;
}

void ProgressLine::Show(int position, int count, double share,
                        std::string_view text) {
  if (terminal_ == nullptr) return;
  const auto now = std::chrono::steady_clock::now();
  if (position != 1 && position != count && shown_columns_ != 0 &&
      now - last_draw_ < kRedrawInterval) {
    return;
  }
  last_draw_ = now;

  const std::string counter = std::to_string(count);
  std::string line = std::to_string(position);
  line.insert(0, counter.size() > line.size() ? counter.size() - line.size() : 0,
              ' ');
  line += "/" + counter + " ";
  const std::string percent =
      std::to_string(static_cast<int>(std::floor(share))) + "%";
  line += std::string(percent.size() < 4 ? 4 - percent.size() : 0, ' ') +
          percent + " ";
  line += text;

  // Cut the line to the terminal's width, so that it never wraps and "\r"
  // keeps returning to its start.
  const std::size_t limit = Width() - 1;
  std::size_t columns = 0;
  std::size_t end = 0;
  for (; end < line.size(); ++end) {
    if (StartsCharacter(line[end])) {
      if (columns == limit) break;
      ++columns;
    }
  }
  line.resize(end);
  if (columns < shown_columns_) line.append(shown_columns_ - columns, ' ');
  std::fputc('\r', terminal_);
  std::fwrite(line.data(), 1, line.size(), terminal_);
  if (columns < shown_columns_) {
    // Back over the blanks that wiped the longer earlier line.
    std::fputc('\r', terminal_);
    std::fwrite(line.data(), 1, end, terminal_);
  }
  std::fflush(terminal_);
  shown_columns_ = columns == 0 ? 1 : columns;
}

void ProgressLine::Clear() {
  if (terminal_ == nullptr || shown_columns_ == 0) return;
  std::fputc('\r', terminal_);
  for (std::size_t i = 0; i < shown_columns_; ++i) std::fputc(' ', terminal_);
  std::fputc('\r', terminal_);
  std::fflush(terminal_);
  shown_columns_ = 0;
}

}  // namespace tarnwick::cli
