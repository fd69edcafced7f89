// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// "Add File(s)": the open-file dialog's answer mapped onto new entries.
#ifndef TARNWICK_FILELIST_ADD_FILES_H_
#define TARNWICK_FILELIST_ADD_FILES_H_

#include <cstddef>
#include <string>
#include <vector>

namespace tarnwick {

// The dialog's file-name buffer, in characters.
inline constexpr std::size_t kOpenFileBufferSize = 30000;

// The characters the answer takes in the dialog's buffer when written as the
// dialog writes it: every part followed by one NUL. Characters are counted
// as 16-bit units, as the buffer counts them.
std::size_t SelectionBufferLength(const std::vector<std::string>& parts);

enum class AddFilesOutcome {
  kCancelled,  // empty answer: nothing to append
  kTooMany,    // the answer does not fit the buffer: nothing to append
  kAdded,
};

struct AddFilesPlan {
  AddFilesOutcome outcome = AddFilesOutcome::kCancelled;
  std::vector<std::string> entries;  // in the order the dialog gave them
};

// parts: empty (cancelled), one full path (appended unchanged), or the
// folder followed by names (each becomes folder + "/" + name through
// FixBackslashes).
AddFilesPlan PlanAddFiles(const std::vector<std::string>& parts);

}  // namespace tarnwick

#endif  // TARNWICK_FILELIST_ADD_FILES_H_
