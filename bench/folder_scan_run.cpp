// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "bench/folder_scan_run.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/error_report.h"
#include "filelist/file_list.h"
#include "filelist/folder_scan.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kTopFolders = 50;
constexpr int kSubFoldersEach = 99;  // 50 + 50 * 99 = 5,000 folders
constexpr int kFilesEach = 20;       // 5,000 * 20 = 100,000 files

class CountingReporter : public ErrorReporter {
 public:
  void ShowReport(const std::string& text) override {
    ++reports;
    std::fprintf(stderr, "report: %s\n", text.c_str());
  }
  int reports = 0;
};

class BenchHost : public ScanHost {
 public:
  explicit BenchHost(FileList& list) : list_(list) {}
  FileList& List() override { return list_; }
  void Yield() override { ++yields; }
  ErrorReporter& Reporter() override { return reporter; }

  CountingReporter reporter;
  long yields = 0;

 private:
  FileList& list_;
};

void WriteFiles(const fs::path& folder) {
  fs::create_directories(folder);
  for (int i = 0; i < kFilesEach; ++i) {
    std::ofstream(folder / ("File " + std::to_string(i) + ".txt")) << "x\r\n";
  }
}

int GenerateTree(const fs::path& root) {
  int folders = 0;
  for (int top = 0; top < kTopFolders; ++top) {
    const fs::path top_folder = root / ("Top" + std::to_string(top));
    WriteFiles(top_folder);
    ++folders;
    for (int sub = 0; sub < kSubFoldersEach; ++sub) {
      WriteFiles(top_folder / ("sub-" + std::to_string(sub)));
      ++folders;
    }
  }
  return folders;
}

double Seconds(Clock::duration duration) {
  return std::chrono::duration<double>(duration).count();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

struct ScanRun {
  double seconds = 0;
  int entries = 0;
  long yields = 0;
  int reports = 0;
};

ScanRun TimeScan(const std::string& root, const ListMaker& make_list) {
  std::unique_ptr<FileList> list = make_list();
  BenchHost host(*list);
  const Clock::time_point start = Clock::now();
  AddFolderFilesToList(root, "*.*", host);
  ScanRun run;
  run.seconds = Seconds(Clock::now() - start);
  run.entries = list->Count();
  run.yields = host.yields;
  run.reports = host.reporter.reports;
  return run;
}

double TimeFind(const std::string& root) {
  const std::string command = "find '" + root + "' -type f | sort > /dev/null";
  const Clock::time_point start = Clock::now();
  const int status = std::system(command.c_str());
  const double seconds = Seconds(Clock::now() - start);
  if (status != 0) std::fprintf(stderr, "find | sort failed (%d)\n", status);
  return seconds;
}

}  // namespace

int RunFolderScanBenchmark(const std::string& parent, const ListMaker& make_list,
                           const std::string& list_name) {
  std::string pattern = (fs::path(parent) / "tarnwick-scan-bench-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) {
    std::perror("mkdtemp");
    return 1;
  }
  const std::string root = pattern;
  std::printf("Generating %d files in %d folders in %s ...\n",
              kTopFolders * (kSubFoldersEach + 1) * kFilesEach,
              kTopFolders * (kSubFoldersEach + 1), root.c_str());
  const int folders = GenerateTree(root);

  // One untimed run of each, so that both find the tree in the cache.
  TimeFind(root);
  TimeScan(root, make_list);

  std::vector<double> scan_times, find_times;
  ScanRun last;
  for (int i = 0; i < 3; ++i) {
    last = TimeScan(root, make_list);
    scan_times.push_back(last.seconds);
    find_times.push_back(TimeFind(root));
  }
  const double scan = Median(scan_times);
  const double find = Median(find_times);
  std::printf("folders: %d, entries appended: %d, yields: %ld, reports: %d\n",
              folders, last.entries, last.yields, last.reports);
  std::printf("scan (\"*\", %s), median of 3: %.3f s\n", list_name.c_str(), scan);
  std::printf("find DIR -type f | sort,  median of 3: %.3f s\n", find);
  std::printf("ratio scan / find: %.2f (target: at most 5)\n", scan / find);

  std::error_code error;
  fs::remove_all(root, error);
  if (error) std::fprintf(stderr, "could not remove %s: %s\n", root.c_str(),
                          error.message().c_str());
  return last.entries == kTopFolders * (kSubFoldersEach + 1) * kFilesEach ? 0 : 1;
}

}  // namespace tarnwick
