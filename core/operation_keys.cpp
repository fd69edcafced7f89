// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/operation_keys.h"

#include <array>

namespace tarnwick {
namespace {

constexpr std::array<OperationKey, 10> kKeys = {{
    {"remove all spaces in text file", 128, 130, OperationKind::kFixed,
     Operation::kRemoveAllSpaces},
    {"remove all spaces except for single", 132, 134, OperationKind::kFixed,
     Operation::kRemoveExtraSpaces},
    {"remove all blank lines", 136, 138, OperationKind::kFixed,
     Operation::kRemoveBlankLines},
    {"remove all tabs", 140, 142, OperationKind::kFixed,
     Operation::kRemoveAllTabs},
    {"remove alphabet", 144, 146, OperationKind::kFixed,
     Operation::kRemoveAlphabet},
    {"remove numeric", 148, 150, OperationKind::kFixed,
     Operation::kRemoveNumeric},
    {"remove alphanumeric", 152, 154, OperationKind::kFixed,
     Operation::kRemoveAlphanumeric},
    {"remove non-alphanumeric", 156, 158, OperationKind::kFixed,
     Operation::kRemoveNonAlphanumeric},
    {"remove x", 160, 0, OperationKind::kRemoveText, Operation::kRemoveText},
    {"find and replace", 174, 0, OperationKind::kFindAndReplace,
     Operation::kFindAndReplace},
}};

}  // namespace

std::span<const OperationKey> OperationKeys() { return kKeys; }

const OperationKey* ChosenOperation(std::string_view chooser_text) {
  const std::string chooser = LowerCase(chooser_text);
  for (const OperationKey& key : kKeys) {
    if (chooser.find(key.key) != std::string::npos) return &key;
  }
  return nullptr;
}

const OperationKey* KeyOf(Operation operation) {
  for (const OperationKey& key : kKeys) {
    if (key.operation == operation) return &key;
  }
  return nullptr;
}

std::string LowerCase(std::string_view text) {
  std::string lowered(text);
  for (char& c : lowered) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lowered;
}

}  // namespace tarnwick
