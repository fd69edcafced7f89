// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// Replacing a file's content without ever losing the old content.
#ifndef TARNWICK_FILES_FILE_WRITE_H_
#define TARNWICK_FILES_FILE_WRITE_H_

#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace tarnwick {

class RunLedger;

struct ReplaceOptions {
  // Permission bits of the new file; when empty, those of the file being
  // replaced (or 0666 less the umask for a new file).
  std::optional<mode_t> mode;
  // The run the write belongs to, or nullptr (pending_replacement.h,
  // ReplaceScope): within a run a missing file is not created but refused.
  RunLedger* ledger = nullptr;
};

// Writes bytes to a new file in the same folder, checks every write and the
// close, flushes it to disk when it replaces an existing file, and renames it
// over path. Bytes equal to the file's content leave it untouched. A path
// that is a symbolic link rewrites the file it points to and keeps the link.
// A read-only file (owner write bit clear) is refused. The old file's owner,
// group and extended attributes are kept as far as the system allows. On
// any failure the temporary file is removed and the old file stays as it
// was. A missing file is created, outside a run. Throws FileError.
void ReplaceFileContents(const std::string& path, std::string_view bytes,
                         const ReplaceOptions& options = {});

// Reads the whole file. Throws FileError.
std::string ReadFileBytes(const std::string& path);

// True when nothing exists at path (the system answers "no such file"), a
// path the text engine reads as the empty text. Throws FileError with the
// system's own reason when the path cannot be examined (a loop of links, a
// name too long, a folder without search permission, a file name followed
// by "/"), and "the file has gone" within a run (a ledger given).
bool NothingAtPath(const std::string& path, const RunLedger* ledger);

}  // namespace tarnwick

#endif  // TARNWICK_FILES_FILE_WRITE_H_
