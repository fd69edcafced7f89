// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// A scan host and a sample host that record what the scan does with them.
#ifndef TARNWICK_TESTS_FILELIST_SCAN_HOST_FAKE_H_
#define TARNWICK_TESTS_FILELIST_SCAN_HOST_FAKE_H_

#include <functional>
#include <string>
#include <vector>

#include "filelist/folder_scan.h"
#include "filelist/sample_files.h"
#include "filelist/vector_file_list.h"
#include "tests/support/recording_reporter.h"

namespace tarnwick::testing {

class FakeScanHost : public ScanHost {
 public:
  FileList& List() override { return list; }
  void Yield() override {
    ++yields;
    if (on_yield) on_yield(yields);
  }
  ErrorReporter& Reporter() override { return reporter; }

  VectorFileList list;
  RecordingReporter reporter;
  int yields = 0;
  // Called on every yield with the count so far.
  std::function<void(int)> on_yield;
};

class FakeSampleHost : public SampleHost {
 public:
  FileList& List() override { return list; }
  bool AskYesNo(const std::string& question) override {
    questions.push_back(question);
    return answer_yes;
  }
  void OpenFolder(const std::string& folder) override { opened.push_back(folder); }
  ErrorReporter& Reporter() override { return reporter; }

  VectorFileList list;
  RecordingReporter reporter;
  bool answer_yes = false;
  std::vector<std::string> questions;
  std::vector<std::string> opened;
};

}  // namespace tarnwick::testing

#endif  // TARNWICK_TESTS_FILELIST_SCAN_HOST_FAKE_H_
