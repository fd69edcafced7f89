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

  std::vector<std::string> names;
  const bool listed = trap.Run(100, [&] {
    FolderFiles files = ListFolderFiles(sample_folder, "*.*");
    // A missing folder simply holds no samples; anything else is a failure.
    if (files.error != ListingError::kNone &&
        files.error != ListingError::kPathNotFound) {
      throw std::runtime_error(files.reason);
    }
    names = std::move(files.names);
  });
  if (!listed) return;

  for (const std::string& name : names) {
    const bool appended = trap.Run(102, [&] {
      const std::string entry = entry_start + name;
      if (!PathExists(entry)) return;
      if (IsInFileList(host.List(), entry)) return;
      host.List().Append(entry);
    });
    if (!appended) return;
  }

  bool open = false;
  if (!trap.Run(104, [&] { open = host.AskYesNo(kOpenSamplesQuestion); })) return;
  if (open) trap.Run(106, [&] { host.OpenFolder(entry_start); });
}

}  // namespace tarnwick
