// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "filelist/file_list.h"

namespace tarnwick {

bool IsInFileList(const FileList& list, std::string_view path) {
  const int count = list.Count();
  for (int position = 1; position <= count; ++position) {
    if (list.At(position) == path) return true;
  }
  return false;
}

}  // namespace tarnwick
