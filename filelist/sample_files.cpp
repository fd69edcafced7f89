// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "filelist/sample_files.h"

#include <stdexcept>
#include <vector>

#include "core/error_report.h"
#include "core/routine_identities.h"
#include "filelist/file_list.h"
#include "filelist/folder_scan.h"
#include "files/path_helpers.h"
#include "files/platform.h"

namespace tarnwick {

namespace {

constexpr char kSamples[] = "Samples";

}  // namespace

void LoadSampleFiles(const std::string& program_folder, SampleHost& host) {
  Trap trap(host.Reporter(), routines::kLoadSamples);
  const std::string sample_folder = program_folder + kSeparatorText + kSamples;
  const std::string entry_start = sample_folder + kSeparatorText;

  // Steps: 100 list the folder, 102 append each sample, 104 ask, 106 open.
  // A failure to list or append ends the command.
  const auto files =
      trap.Try(100, [&] { return ListFolderFiles(sample_folder, "*.*"); });
  if (!files) return;
  // A missing folder simply holds no samples; anything else is a failure.
  if (files->error != ListingError::kNone &&
      files->error != ListingError::kPathNotFound) {
    trap.Fail(100, files->reason);
    return;
  }

  for (const std::string& name : files->names) {
    const bool appended = trap.Run(102, [&] {
      const std::string entry = entry_start + name;
      if (!PathExists(entry)) return;
      if (IsInFileList(host.List(), entry)) return;
      host.List().Append(entry);
    });
    if (!appended) return;
  }

  if (trap.Value(104, [&] { return host.AskYesNo(kOpenSamplesQuestion); },
                 false)) {
    trap.Run(106, [&] { host.OpenFolder(entry_start); });
  }
}

}  // namespace tarnwick
