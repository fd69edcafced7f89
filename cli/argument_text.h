// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// The texts of --find-what and --replace-with as the option dialogs would
// hand them to the batch run.
#ifndef TARNWICK_CLI_ARGUMENT_TEXT_H_
#define TARNWICK_CLI_ARGUMENT_TEXT_H_

#include <string>
#include <string_view>

namespace tarnwick::cli {

// An argument as a dialog's box would give it: decoded from UTF-8 as files
// are (each invalid byte kept as its byte escape, so it matches the same
// byte in a file), every line break (LF, or CR LF) written CR LF, and every
// "<tab>" turned into a TAB. A lone CR is kept as it is.
std::u16string DialogText(std::string_view argument);

}  // namespace tarnwick::cli

#endif  // TARNWICK_CLI_ARGUMENT_TEXT_H_
