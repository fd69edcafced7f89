// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// Speed of the folder scan into a vector-backed file list:
//
//   folder_scan_bench [parent-folder]   (default /tmp)
//
// A benchmark of the window's list takes RunFolderScanBenchmark with a
// ListMaker that returns a FileList over that list (see bench/README.md).
#include <memory>

#include "bench/folder_scan_run.h"
#include "filelist/vector_file_list.h"

int main(int argc, char** argv) {
  return tarnwick::RunFolderScanBenchmark(
      argc > 1 ? argv[1] : "/tmp",
      [] { return std::make_unique<tarnwick::VectorFileList>(); }, "vector list");
}
