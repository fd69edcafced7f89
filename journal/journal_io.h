// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// Whole writes and copies between open files, through the system-call seam,
// for the journal's records, its kept copies and undo's copies back.
#ifndef TARNWICK_JOURNAL_JOURNAL_IO_H_
#define TARNWICK_JOURNAL_JOURNAL_IO_H_

#include <cstddef>

namespace tarnwick {

// Writes all size bytes, going on after a partial write or EINTR. False
// with errno set (ENOSPC for a write that takes nothing) on failure.
bool WriteFully(int fd, const char* data, std::size_t size);

// Copies from's content from its offset to its end into to.
enum class CopyFailure { kNone, kRead, kWrite };
// Returns which side failed, with error_number set to the system's error.
CopyFailure CopyContents(int from, int to, int& error_number);

}  // namespace tarnwick

#endif  // TARNWICK_JOURNAL_JOURNAL_IO_H_
