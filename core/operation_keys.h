// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// How the batch run recognises the chosen operation: the chooser's text,
// lower-cased, is searched for ten fixed keys in a fixed order; the first key
// found anywhere in the text decides.
#ifndef TARNWICK_CORE_OPERATION_KEYS_H_
#define TARNWICK_CORE_OPERATION_KEYS_H_

#include <array>
#include <span>
#include <string>
#include <string_view>

#include "engine/edit_context.h"

namespace tarnwick {

enum class OperationKind {
  kFixed,           // one of the eight operations that need no answer
  kRemoveText,      // asks what to remove
  kFindAndReplace,  // asks what to find and what to put instead
};

struct OperationKey {
  std::string_view key;  // searched for in the lower-cased chooser text
  int test_line;         // the run's step label of the key test
  int action_line;       // the step label of the operation; 0 for the two
                         // that ask first (their steps carry their own)
  OperationKind kind;
  Operation operation;
};

// The ten keys in the order they are tried.
std::span<const OperationKey> OperationKeys();

// The operation the chooser's text names: the first key, in the order
// above, that the lower-cased text holds anywhere; nullptr for none (a
// separator line, or nothing chosen: the files are only copied).
const OperationKey* ChosenOperation(std::string_view chooser_text);

// The key of an operation; nullptr for Operation::kCopyUnchanged.
const OperationKey* KeyOf(Operation operation);

// ASCII letters to lower case; every other byte unchanged (the keys are
// plain ASCII).
std::string LowerCase(std::string_view text);

}  // namespace tarnwick

namespace tarnwick::texts {

// The operation chooser's entries, by position.
inline constexpr std::array<const char*, 12> kChooserEntries = {
    "Remove all spaces in text file(s)",
    "Remove all spaces except for single space between words in text file(s)",
    "Remove all blank lines (enters) in text file(s)",
    "Remove all tabs in text file(s)",
    "-",
    "Remove alphabet character(s) in text file(s)",
    "Remove numeric character(s) in text file(s)",
    "Remove alphanumeric character(s) in text file(s)",
    "Remove non-alphanumeric character(s) in text file(s)",
    "Remove x (user-specified) character(s) in text file(s)",
    "-",
    "Find and replace x (user-specified) character(s) in text file(s)",
};

}  // namespace tarnwick::texts

#endif  // TARNWICK_CORE_OPERATION_KEYS_H_
