// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// The folder-scan benchmark, for any file list: a generated tree of 100,000
// files in 5,000 folders, scanned with "*" (pattern "*.*") into a list that
// make_list creates, against `find DIR -type f | sort` on the same tree in
// the same run. Prints the median of 3 runs of each and the ratio; removes
// the tree at the end. Returns 0 when every scan appended all files.
#ifndef TARNWICK_BENCH_FOLDER_SCAN_RUN_H_
#define TARNWICK_BENCH_FOLDER_SCAN_RUN_H_

#include <functional>
#include <memory>
#include <string>

namespace tarnwick {

class FileList;

using ListMaker = std::function<std::unique_ptr<FileList>()>;

// The tree is made in a new folder below parent (e.g. "/tmp"); list_name
// names the list in the printed figures.
int RunFolderScanBenchmark(const std::string& parent, const ListMaker& make_list,
                           const std::string& list_name);

}  // namespace tarnwick

#endif  // TARNWICK_BENCH_FOLDER_SCAN_RUN_H_
