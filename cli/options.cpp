// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/options.h"

#include <array>
#include <cstddef>

#include "core/operation_keys.h"
#include "core/product.h"

namespace tarnwick::cli {
namespace {

using texts::kChooserEntries;

// The command-line name of each chooser position.
constexpr std::array<std::string_view, kChooserEntries.size()> kNames = {
    "remove-all-spaces",   "remove-extra-spaces",     "remove-blank-lines",
    "remove-all-tabs",     "copy",                    "remove-alphabet",
    "remove-numeric",      "remove-alphanumeric",     "remove-non-alphanumeric",
    "remove-x",            "copy",                    "find-and-replace",
};

// The operation of each chooser position.
constexpr std::array<Operation, kChooserEntries.size()> kOperations = {
    Operation::kRemoveAllSpaces,   Operation::kRemoveExtraSpaces,
    Operation::kRemoveBlankLines,  Operation::kRemoveAllTabs,
    Operation::kCopyUnchanged,     Operation::kRemoveAlphabet,
    Operation::kRemoveNumeric,     Operation::kRemoveAlphanumeric,
    Operation::kRemoveNonAlphanumeric, Operation::kRemoveText,
    Operation::kCopyUnchanged,     Operation::kFindAndReplace,
};

std::string Quoted(std::string_view text) {
  return "'" + std::string(text) + "'";
}

// Walks the arguments once, left to right.
class Parser {
 public:
  explicit Parser(const std::vector<std::string>& arguments)
      : arguments_(arguments) {}

  ParseResult Parse() {
    bool options_ended = false;
    for (next_ = 0; next_ < arguments_.size();) {
      const std::string& argument = arguments_[next_++];
      if (options_ended || argument == "-" || argument.empty() ||
          argument[0] != '-') {
        result_.options.inputs.push_back(
            {InputSource::Kind::kFile, argument, "*"});
        continue;
      }
      if (argument == "--") {
        options_ended = true;
        continue;
      }
      if (argument == "--help" || argument == "-h") {
        result_.command = Command::kHelp;
        return result_;
      }
      if (argument == "--version") {
        result_.command = Command::kVersion;
        return result_;
      }
      if (!Option(argument)) return result_;
    }
    if (undo_ || list_runs_) {
      if (CheckJournalCommand()) {
        result_.command = undo_ ? Command::kUndo : Command::kListRuns;
      }
      return result_;
    }
    if (Check()) result_.command = Command::kRun;
    return result_;
  }

 private:
  bool Fail(std::string error) {
    result_.command = Command::kUsageError;
    result_.error = std::move(error);
    return false;
  }

  // Takes the option's value: the text after "=", or the next argument
  // whatever it begins with (a find text may well begin with "-").
  bool Value(std::string_view name, const std::string& argument,
             std::string& value) {
    const std::size_t equals = argument.find('=');
    if (equals != std::string::npos) {
      value = argument.substr(equals + 1);
      return true;
    }
    if (next_ >= arguments_.size()) {
      return Fail(std::string(name) + " needs a value");
    }
    value = arguments_[next_++];
    return true;
  }

  bool Once(std::string_view name, bool given) {
    if (given) return Fail(std::string(name) + " is given more than once");
    return true;
  }

  bool Option(const std::string& argument) {
    const std::string name = argument.substr(0, argument.find('='));
    std::string value;
    Options& options = result_.options;
    if (name == "--operation") {
      if (!Once(name, operation_given_) || !Value(name, argument, value)) {
        return false;
      }
      operation_given_ = true;
      const std::optional<int> position = OperationPosition(value);
      if (!position) {
        return Fail("unknown operation " + Quoted(value) +
                    " (use a position 0 to 11 or a name; see --help)");
      }
      options.operation = *position;
      return true;
    }
    if (name == "--output") {
      if (!Once(name, output_given_) || !Value(name, argument, value)) {
        return false;
      }
      output_given_ = true;
      options.output_folder = value;
      return true;
    }
    if (name == "--find-what") {
      if (!Once(name, options.find_what.has_value()) ||
          !Value(name, argument, value)) {
        return false;
      }
      options.find_what = value;
      return true;
    }
    if (name == "--replace-with") {
      if (!Once(name, options.replace_with.has_value()) ||
          !Value(name, argument, value)) {
        return false;
      }
      options.replace_with = value;
      return true;
    }
    if (argument == "--dry-run") {
      if (!Once(name, options.dry_run)) return false;
      options.dry_run = true;
      ++run_options_;
      return true;
    }
    if (argument == "--require-undo") {
      if (!Once(name, options.require_undo)) return false;
      options.require_undo = true;
      ++run_options_;
      return true;
    }
    if (name == "--report") {
      if (!Once(name, options.report.has_value()) ||
          !Value(name, argument, value)) {
        return false;
      }
      if (value.empty()) return Fail("--report needs a file (- for standard output)");
      options.report = value;
      ++run_options_;
      return true;
    }
    if (name == "--jobs") {
      if (!Once(name, options.jobs.has_value()) ||
          !Value(name, argument, value)) {
        return false;
      }
      int jobs = 0;
      for (const char c : value) {
        if (c < '0' || c > '9' || jobs > 9999) {
          jobs = 0;
          break;
        }
        jobs = jobs * 10 + (c - '0');
      }
      if (jobs < 1 || jobs > 1024) {
        return Fail("--jobs needs a number of files from 1 to 1024, not " +
                    Quoted(value));
      }
      options.jobs = jobs;
      ++run_options_;
      return true;
    }
    if (name == "--undo") {
      if (!Once(name, undo_)) return false;
      undo_ = true;
      // The run's id is optional: the next argument, unless it is an option.
      if (argument.find('=') != std::string::npos) {
        Value(name, argument, options.undo_run);
        if (options.undo_run.empty()) return Fail("--undo= needs a run id");
      } else if (next_ < arguments_.size() && !arguments_[next_].empty() &&
                 arguments_[next_][0] != '-') {
        options.undo_run = arguments_[next_++];
      }
      return true;
    }
    if (argument == "--list-runs") {
      if (!Once(name, list_runs_)) return false;
      list_runs_ = true;
      return true;
    }
    if (name == "--add-folder") {
      if (!Value(name, argument, value)) return false;
      if (value.empty()) return Fail("--add-folder needs a folder");
      options.inputs.push_back({InputSource::Kind::kFolder, value, "*"});
      extension_given_ = false;
      return true;
    }
    if (name == "--extension") {
      if (!Value(name, argument, value)) return false;
      if (options.inputs.empty() ||
          options.inputs.back().kind != InputSource::Kind::kFolder) {
        return Fail("--extension must follow the --add-folder it applies to");
      }
      if (extension_given_) {
        return Fail("--extension is given twice for --add-folder " +
                    Quoted(options.inputs.back().path));
      }
      if (value.empty()) {
        return Fail("--extension needs a value (* for all files)");
      }
      extension_given_ = true;
      options.inputs.back().extension = value;
      return true;
    }
    return Fail("unknown option " + Quoted(argument) +
                " (a file whose name begins with '-' goes after '--')");
  }

  // --undo and --list-runs stand alone.
  bool CheckJournalCommand() {
    const Options& options = result_.options;
    if (undo_ && list_runs_) return Fail("--undo and --list-runs go alone");
    if (operation_given_ || output_given_ || run_options_ > 0 ||
        options.find_what || options.replace_with || !options.inputs.empty()) {
      return Fail(std::string(undo_ ? "--undo" : "--list-runs") +
                  " takes no files and no other options");
    }
    return true;
  }

  // The combinations the run needs, once every argument has been read.
  bool Check() {
    const Options& options = result_.options;
    if (!operation_given_) return Fail("missing --operation OP");
    if (!output_given_) return Fail("missing --output DIR");
    const std::string op(OperationName(options.operation));
    const bool remove_text = options.operation == kRemoveTextPosition;
    const bool find_replace = options.operation == kFindAndReplacePosition;
    if (remove_text || find_replace) {
      if (!options.find_what) {
        return Fail("--operation " + op + " needs --find-what TEXT");
      }
      if (options.find_what->empty()) {
        return Fail("--find-what is empty: there is nothing to " +
                    std::string(remove_text ? "remove" : "find"));
      }
    } else if (options.find_what) {
      return Fail("--find-what is not used by --operation " + op);
    }
    if (find_replace) {
      if (!options.replace_with) {
        return Fail("--operation find-and-replace needs --replace-with TEXT");
      }
    } else if (options.replace_with) {
      return Fail("--replace-with is only used by --operation "
                  "find-and-replace" +
                  std::string(remove_text ? " (remove-x removes the "
                                            "--find-what text)"
                                          : ""));
    }
    return true;
  }

  const std::vector<std::string>& arguments_;
  std::size_t next_ = 0;
  ParseResult result_;
  bool operation_given_ = false;
  bool output_given_ = false;
  bool extension_given_ = false;
  bool undo_ = false;
  bool list_runs_ = false;
  int run_options_ = 0;  // --dry-run, --report, --require-undo, --jobs
};

}  // namespace

ParseResult ParseArguments(const std::vector<std::string>& arguments) {
  return Parser(arguments).Parse();
}

std::optional<int> OperationPosition(std::string_view op) {
  for (std::size_t i = 0; i < kNames.size(); ++i) {
    if (op == kNames[i]) return static_cast<int>(i);
  }
  if (op.empty() || op.size() > 2) return std::nullopt;
  int value = 0;
  for (const char c : op) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  if (value >= static_cast<int>(kChooserEntries.size())) return std::nullopt;
  return value;
}

Operation OperationAt(int position) {
  if (position < 0 || position >= static_cast<int>(kOperations.size())) {
    return Operation::kCopyUnchanged;
  }
  return kOperations[static_cast<std::size_t>(position)];
}

std::string_view OperationName(int position) {
  if (position < 0 || position >= static_cast<int>(kNames.size())) return "";
  return kNames[static_cast<std::size_t>(position)];
}

std::string VersionText() {
  return std::string(kProgramName) + " (" + product::kName + ") " +
         product::kVersion + "\n";
}

}  // namespace tarnwick::cli
