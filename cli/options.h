// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// The command line of tarnwick-batch: what the user asked for, parsed from
// the arguments without touching any file.
#ifndef TARNWICK_CLI_OPTIONS_H_
#define TARNWICK_CLI_OPTIONS_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/edit_context.h"

namespace tarnwick::cli {

inline constexpr char kProgramName[] = "tarnwick-batch";

// Chooser positions of the operations that need texts from the user.
inline constexpr int kRemoveTextPosition = 9;
inline constexpr int kFindAndReplacePosition = 11;

// One source of list entries, in argument order: a FILE appended as given,
// or an --add-folder scanned for "*." + extension.
struct InputSource {
  enum class Kind { kFile, kFolder };
  Kind kind = Kind::kFile;
  std::string path;
  std::string extension = "*";  // folders only
};

struct Options {
  int operation = -1;  // chooser position 0 to 11
  std::string output_folder;
  std::optional<std::string> find_what;     // as given, UTF-8
  std::optional<std::string> replace_with;  // as given, UTF-8
  std::vector<InputSource> inputs;
  bool dry_run = false;               // --dry-run
  std::optional<std::string> report;  // --report PATH ("-": standard output)
  bool require_undo = false;          // --require-undo
  std::string undo_run;               // --undo RUN; empty: the last run
  std::optional<int> jobs;            // --jobs N; none: one per core
};

enum class Command { kRun, kUndo, kListRuns, kHelp, kVersion, kUsageError };

struct ParseResult {
  Command command = Command::kUsageError;
  Options options;      // complete and consistent when command is kRun
  std::string error;    // one sentence, for kUsageError
};

// Parses the arguments that follow the program name.
ParseResult ParseArguments(const std::vector<std::string>& arguments);

// The chooser position for OP: a position "0" to "11" or one of the
// operation names; nothing for anything else.
std::optional<int> OperationPosition(std::string_view op);

// The operation at a chooser position (kCopyUnchanged for the "-" entries
// and for none).
Operation OperationAt(int position);

// The operation's name on the command line ("copy" for the "-" entries).
std::string_view OperationName(int position);

std::string HelpText();
std::string VersionText();

}  // namespace tarnwick::cli

#endif  // TARNWICK_CLI_OPTIONS_H_
