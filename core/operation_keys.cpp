// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/operation_keys.h"

#include <array>

#include "engine/text_operations.h"

namespace tarnwick {
namespace {

constexpr std::array<OperationKey, 10> kKeys = {{
    {"remove all spaces in text file", 128, 130, OperationKind::kFixed,
     &RemoveAllSpaces},
    {"remove all spaces except for single", 132, 134, OperationKind::kFixed,
     &RemoveExtraSpaces},
    {"remove all blank lines", 136, 138, OperationKind::kFixed,
     &RemoveBlankLines},
    {"remove all tabs", 140, 142, OperationKind::kFixed, &RemoveAllTabs},
    {"remove alphabet", 144, 146, OperationKind::kFixed, &RemoveAlphabet},
    {"remove numeric", 148, 150, OperationKind::kFixed, &RemoveNumeric},
    {"remove alphanumeric", 152, 154, OperationKind::kFixed,
     &RemoveAlphanumeric},
    {"remove non-alphanumeric", 156, 158, OperationKind::kFixed,
     &RemoveNonAlphanumeric},
    {"remove x", 160, 0, OperationKind::kRemoveText, nullptr},
    {"find and replace", 174, 0, OperationKind::kFindAndReplace, nullptr},
}};

}  // namespace

std::span<const OperationKey> OperationKeys() { return kKeys; }

std::string LowerCase(std::string_view text) {
  std::string lowered(text);
  for (char& c : lowered) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lowered;
}

}  // namespace tarnwick
