// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// The changed lines between a text file and its edited copy, found in one
// streaming pass over both, in bounded memory whatever the files' sizes or
// line lengths.
//
// Both files are decoded as the operations decode them (text_codec.h): a file
// that begins with a UTF-16 byte-order mark as 16-bit text, any other as
// UTF-8 with every invalid byte kept as its byte escape. Lines end at LF.
//
// Changed lines come as before/after pairs. Where both files go on with
// lines that differ, the lines are paired one to one; a line that only one
// side has (a removed blank line, two lines joined into one) is paired with
// no line. The two sides fall back into step at the nearest equal line
// within a look-ahead of kLookAheadLines lines on each side.
#ifndef TARNWICK_ENGINE_CHANGED_LINES_H_
#define TARNWICK_ENGINE_CHANGED_LINES_H_

#include <cstddef>
#include <cstdint>
#include <istream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

// What a line keeps of its text: its first kShownLineUnits code units.
inline constexpr std::size_t kShownLineUnits = 1000;
// How far ahead, in lines on each side, the two files are searched for the
// next equal line.
inline constexpr std::size_t kLookAheadLines = 64;

struct ShownLine {
  std::uint64_t number = 0;  // 1-based
  std::u16string text;       // the start of the line, without its line end
  std::uint64_t length = 0;  // the whole line's length in code units
  bool cut() const { return length > text.size(); }
};

struct LinePair {
  std::optional<ShownLine> before;  // none: the line is new
  std::optional<ShownLine> after;   // none: the line is gone
};

struct ChangedLines {
  std::vector<LinePair> pairs;  // the first max_pairs pairs, in file order
  std::uint64_t total = 0;      // every changed pair, kept or not
};

// Compares the two streams to their ends; keeps at most max_pairs pairs.
// Throws std::runtime_error when a stream cannot be read.
ChangedLines CompareTexts(std::istream& before, std::istream& after,
                          std::size_t max_pairs);

// The same for two files. Throws FileError naming the file that cannot be
// opened or read.
ChangedLines CompareTextFiles(const std::string& before_path,
                              const std::string& after_path,
                              std::size_t max_pairs);

// A line's text for display, as UTF-8: a byte escape shows as \xHH, any
// other lone surrogate as \uHHHH, and a control character other than TAB
// as \xHH.
std::string DisplayLine(std::u16string_view text);

}  // namespace tarnwick

#endif  // TARNWICK_ENGINE_CHANGED_LINES_H_
