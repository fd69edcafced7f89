// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// "Preview changes": what the chosen operation would do to one file, found
// by running it on a copy in a temporary folder (never on the file itself
// or in the output folder) and comparing the copy with the file line by
// line. Memory stays bounded whatever the file's size: the copy is made by
// the system, the operation works in pieces and the comparison streams.
#ifndef TARNWICK_BATCH_PREVIEW_H_
#define TARNWICK_BATCH_PREVIEW_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/dialog_results.h"
#include "core/operation_keys.h"
#include "engine/changed_lines.h"

namespace tarnwick {

// How many changed lines the preview window shows at most.
inline constexpr std::size_t kPreviewPairs = 200;

struct Preview {
  std::uint64_t changes = 0;       // as the operation counts them
  std::uint64_t bytes_before = 0;
  std::uint64_t bytes_after = 0;
  ChangedLines lines;              // at most max_pairs pairs kept
};

// Runs operation on source, writing its result as a copy in a folder of its
// own (answers: the remove-what or find-and-replace answer the operation
// needs). It belongs to no run: nothing of it reaches a run's ledger or
// journal. Throws FileError (or what the operation throws) when the file
// cannot be read or the copy written.
Preview PreviewOperation(const std::string& source, Operation operation,
                         const DialogResults& answers, std::size_t max_pairs);

// "N change(s); B -> A bytes; L changed line(s)", and how many are shown
// when not all are.
std::string PreviewSummary(const Preview& preview);

// The kept pairs as text: for each a heading naming the line, then "-" and
// the line before, "+" and the line after ("(no line)" for a side without
// one); then how many pairs there are in all when not all are shown.
std::string PreviewPairsText(const ChangedLines& lines);

}  // namespace tarnwick

#endif  // TARNWICK_BATCH_PREVIEW_H_
