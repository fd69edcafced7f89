// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// Names and reasons in the lines tarnwick-batch prints (the dry run's
// lines, --list-runs, --undo), written so that one entry stays one line of
// TAB-separated fields and nothing reaches a terminal as a control code.
#ifndef TARNWICK_CLI_LINE_TEXT_H_
#define TARNWICK_CLI_LINE_TEXT_H_

#include <string>
#include <string_view>

namespace tarnwick::cli {

// text with its control characters escaped as C does: TAB as \t, newline
// as \n, carriage return as \r, a backslash as \\, every other byte below
// 0x20, DEL and each byte of a UTF-8 C1 control (U+0080 to U+009F) as \xHH.
// Every other byte, UTF-8 or not, is kept as it is.
std::string EscapeForLine(std::string_view text);

}  // namespace tarnwick::cli

#endif  // TARNWICK_CLI_LINE_TEXT_H_
