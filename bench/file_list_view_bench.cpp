// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// Speed of the window's file list (the real list model with its view shown,
// on Qt's offscreen platform unless another platform is asked for):
//
//   file_list_view_bench [parent-folder]   (default /tmp)
//
// 1. The folder-scan benchmark (100,000 files in 5,000 folders against
//    find | sort) with the scan appending into the shown list.
// 2. Appending 100,000 scanned entries to the shown list: one insertion per
//    entry as the scan makes them, and all in one insertion; each time until
//    the view has laid out and painted them. Median of 3.
// 3. The cost of letting the event loop turn once, as the scan does once per
//    folder it examines, with the 100,000 entries shown.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <QApplication>

#include "bench/folder_scan_run.h"
#include "filelist/file_list_model.h"
#include "filelist/file_list_view.h"

namespace tarnwick {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int kEntries = 100'000;
constexpr int kTurns = 20'000;  // about the yields of one scan of the tree

// The list model with its view shown at the main window's list size.
class ShownList : public FileList {
 public:
  ShownList() : view_(&model_) {
    view_.resize(520, 169);
    view_.show();
    QApplication::processEvents();
  }
  int Count() const override { return model_.Count(); }
  std::string At(int position) const override { return model_.At(position); }
  void Append(const std::string& text) override { model_.Append(text); }

  FileListModel& model() { return model_; }
  // Runs the pending layout, then paints the visible rows at once.
  void Paint() {
    QApplication::processEvents();
    view_.viewport()->repaint();
  }

 private:
  FileListModel model_;
  FileListView view_;
};

// Paths shaped like the scan's entries of the generated tree.
std::vector<std::string> ScannedPaths() {
  std::vector<std::string> paths;
  paths.reserve(kEntries);
  for (int i = 0; paths.size() < kEntries; ++i) {
    const int top = i / (100 * 20);
    const int sub = (i / 20) % 100;
    std::string path = "/tmp/tarnwick-scan-bench-Xq3TzA/Top" + std::to_string(top);
    if (sub > 0) path += "/sub-" + std::to_string(sub - 1);
    path += "/File " + std::to_string(i % 20) + ".txt";
    paths.push_back(std::move(path));
  }
  return paths;
}

double Seconds(Clock::duration duration) {
  return std::chrono::duration<double>(duration).count();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// Appends with append(list, paths), then lets the view lay out and paint.
template <typename Append>
double TimeAppend(const std::vector<std::string>& paths, Append append) {
  ShownList list;
  const Clock::time_point start = Clock::now();
  append(list, paths);
  list.Paint();
  const double seconds = Seconds(Clock::now() - start);
  if (list.Count() != kEntries) std::fprintf(stderr, "appended %d\n", list.Count());
  return seconds;
}

}  // namespace
}  // namespace tarnwick

int main(int argc, char** argv) {
  using namespace tarnwick;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QApplication application(argc, argv);
  const std::string parent = argc > 1 ? argv[1] : "/tmp";

  std::printf("== Folder scan into the shown list ==\n");
  const int scan_status = RunFolderScanBenchmark(
      parent, [] { return std::make_unique<ShownList>(); },
      "window's list model and view");

  std::printf("\n== Appending %d scanned entries to the shown list ==\n", kEntries);
  const std::vector<std::string> paths = ScannedPaths();
  std::vector<double> one_by_one, at_once;
  for (int i = 0; i < 3; ++i) {
    one_by_one.push_back(TimeAppend(paths, [](ShownList& list, const auto& texts) {
      for (const std::string& text : texts) list.Append(text);
    }));
    at_once.push_back(TimeAppend(paths, [](ShownList& list, const auto& texts) {
      list.model().appendAll(texts);
    }));
  }
  const double single = Median(one_by_one);
  const double all = Median(at_once);
  std::printf("one insertion per entry (as the scan appends), median of 3: %.3f s\n",
              single);
  std::printf("one insertion for all entries, median of 3: %.3f s\n", all);
  std::printf("target: under 1 s: %s\n", single < 1.0 && all < 1.0 ? "met" : "MISSED");

  std::printf("\n== Event loop turns with %d entries shown ==\n", kEntries);
  ShownList shown;
  shown.model().appendAll(paths);
  QApplication::processEvents();
  const Clock::time_point start = Clock::now();
  for (int i = 0; i < kTurns; ++i) QApplication::processEvents();
  const double turns = Seconds(Clock::now() - start);
  std::printf("%d turns: %.3f s (%.1f us each)\n", kTurns, turns,
              turns / kTurns * 1e6);
  return scan_status;
}
