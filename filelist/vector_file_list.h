// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// A file list held in a plain vector: for the plain parts of the program
// that collect entries before a window shows them, for tests and for the
// scan benchmark.
#ifndef TARNWICK_FILELIST_VECTOR_FILE_LIST_H_
#define TARNWICK_FILELIST_VECTOR_FILE_LIST_H_

#include <string>
#include <vector>

#include "filelist/file_list.h"

namespace tarnwick {

class VectorFileList : public FileList {
 public:
  int Count() const override { return static_cast<int>(entries.size()); }
  std::string At(int position) const override {
    return entries.at(static_cast<std::size_t>(position - 1));
  }
  void Append(const std::string& text) override { entries.push_back(text); }

  std::vector<std::string> entries;
};

}  // namespace tarnwick

#endif  // TARNWICK_FILELIST_VECTOR_FILE_LIST_H_
