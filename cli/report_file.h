// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// Where --report writes, checked before the run: never over an input or an
// output of the run, never a folder, never into a missing folder; and written so that whatever the path
// named before stays whole until the new report is complete.
#ifndef TARNWICK_CLI_REPORT_FILE_H_
#define TARNWICK_CLI_REPORT_FILE_H_

#include <sys/types.h>

#include <string>
#include <vector>

#include "batch/run_record.h"

namespace tarnwick::cli {

class ReportFile {
 public:
  // path as given to --report: "-", "/dev/stdout" and "/dev/stderr" name
  // the descriptors already open, and so does any other name of the file
  // standard output or standard error is open on (/dev/fd/1, the log
  // itself); anything else a file. Looks at what the path names now.
  explicit ReportFile(std::string path);

  // True when path (an entry a folder scan found) is the report file
  // itself, which a run leaves out of its list.
  bool Is(const std::string& path) const;

  // Why the report may not be written by a run of these entries into
  // output_folder (a folder, an input or an output of the run, a new file
  // in a folder that does not exist), or an
  // empty text when it may. The same file is recognised by device and
  // inode; a path that does not exist yet by its resolved absolute name.
  std::string Conflict(const std::vector<std::string>& entries,
                       const std::string& output_folder) const;

  // Writes one JSON object a line. A regular file (or a new one) gets a
  // temporary file renamed over it; a descriptor, a device or a pipe is
  // written as it is, without truncating it, so a standard output that
  // appends to a log keeps the log. False after a message on standard
  // error.
  bool Write(const std::vector<EntryRecord>& records) const;

 private:
  // Same file as the report: by identity when both exist, else by name.
  bool Names(const std::string& path) const;
  // "PATH is " what, and the file's other name when it has one.
  std::string Saying(const std::string& what, const std::string& path) const;

  std::string path_;
  int descriptor_ = -1;   // 1 or 2 for the standard streams, else -1
  bool exists_ = false;   // something is at path (or behind the descriptor)
  bool folder_ = false;
  bool regular_ = false;  // a regular file, written by temporary + rename
  dev_t device_ = 0;
  ino_t inode_ = 0;
  std::string resolved_;  // the absolute name, links and dots resolved
};

}  // namespace tarnwick::cli

#endif  // TARNWICK_CLI_REPORT_FILE_H_
