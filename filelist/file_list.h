// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// The file list as the plain parts of the program see it: texts only, in the
// order they were appended, duplicates allowed. Positions are 1-based.
#ifndef TARNWICK_FILELIST_FILE_LIST_H_
#define TARNWICK_FILELIST_FILE_LIST_H_

#include <string>
#include <string_view>

namespace tarnwick {

class FileList {
 public:
  virtual ~FileList() = default;
  virtual int Count() const = 0;
  virtual std::string At(int position) const = 0;
  virtual void Append(const std::string& text) = 0;
};

// True when at least one entry equals path exactly (case-sensitive, no
// trimming or normalising).
bool IsInFileList(const FileList& list, std::string_view path);

}  // namespace tarnwick

#endif  // TARNWICK_FILELIST_FILE_LIST_H_
