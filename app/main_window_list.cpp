// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// MainWindow's ways of filling the file list besides "Add File(s)": "Add All
// File(s) In Folder", "Load Sample/Example Files" and files dropped onto
// the list; and the hooks through which the list reaches the window.
//
// "Add All File(s) In Folder" (trapped, PushButton8) numbers its steps:
//   100 read "Extension" and show the extension prompt
//   102 an empty answer (also Cancel) ends the command
//   104 save the answer as "Extension"
//   106 read "LastFolder" and show the folder picker
//   108 an empty folder (Cancel) ends the command
//   110 save the folder as "LastFolder"
//   112 enter the busy state
//   114 scan the folder tree with "*." + answer
//   116 leave the busy state
//
// A drop has no trap of its own in the routine table; a failure while
// handling one dropped path is reported under the list's drop identity
// below and the next path is handled:
//   100 decide whether the path is an existing folder
//   102 scan a folder with "*.*"
//   104 append anything else unchanged
// A dropped file is never tested, so a path that has gone by the time it
// is examined is no folder and is appended as dropped; a dropped folder
// that cannot be listed contributes nothing, as in any scan.
#include "app/main_window.h"
#include "app/main_window_texts.h"
#include "app/run_views.h"
#include "app/start_up.h"
#include "core/error_report.h"
#include "core/routine_identities.h"
#include "core/settings_store.h"
#include "filelist/file_list_model.h"
#include "filelist/file_list_view.h"
#include "filelist/folder_scan.h"
#include "filelist/sample_files.h"
#include "files/path_helpers.h"
#include "files/platform.h"
#include "ui/pointer_file.h"
#include "ui/program_files.h"

#include <QPushButton>

namespace tarnwick {
namespace {

constexpr char kDropIdentity[] = "Quelbrook2021/08/31.Form1.ListView1_OLEDragDrop ";

// The scan appends to the window's list and lets the window's event loop
// run at every yield, so the window repaints while it works, and closing
// the window then ends the program.
class WindowScanHost : public ScanHost {
 public:
  explicit WindowScanHost(MainWindow& form) : form_(form) {}
  FileList& List() override { return form_.fileList(); }
  void Yield() override { form_.ProcessEvents(); }
  ErrorReporter& Reporter() override { return form_.Reporter(); }

 private:
  MainWindow& form_;
};

class WindowSampleHost : public SampleHost {
 public:
  explicit WindowSampleHost(MainWindow& form) : form_(form) {}
  FileList& List() override { return form_.fileList(); }
  bool AskYesNo(const std::string& question) override {
    return form_.services().prompts.AskYesNo(&form_, question, DefaultAnswer::kYes);
  }
  // Where the desktop cannot show the folder the user is told where it is.
  void OpenFolder(const std::string& folder) override {
    if (!form_.services().folders.OpenFolder(folder)) {
      form_.ShowMessage(texts::kSamplesFolderNotOpened + folder);
    }
  }
  ErrorReporter& Reporter() override { return form_.Reporter(); }

 private:
  MainWindow& form_;
};

// A folder as the scan takes it: no trailing separator, except the root.
std::string FolderWithoutSeparator(std::string path) {
  while (path.size() > 1 && path.back() == kSeparator) path.pop_back();
  return path;
}

}  // namespace

void MainWindow::connectFileList() {
  FileListView::Hooks& hooks = controls_.list->hooks();
  hooks.is_busy = [this] { return isBusy(); };
  hooks.pointer_moved = [this] { showDefaultPointer(); };
  hooks.drag_pointer = [] { return LoadPointerFile(ProgramFolder() + kDragCursorFile); };
  hooks.paths_dropped = [this](const std::vector<std::string>& paths) {
    dropPaths(paths);
  };
  connect(controls_.add_folder, &QPushButton::clicked, this, &MainWindow::addFolder);
  connect(controls_.load_samples, &QPushButton::clicked, this, &MainWindow::loadSamples);
  InstallRunMenu(*this);
}

void MainWindow::addFolder() {
  Trap trap(services_.reporter, routines::kAddFolder);
  std::string answer;
  trap.Run(100, [&] {
    const std::string preset = services_.settings.GetSetting(
        settings::kExtension, settings::kExtensionDefault);
    answer = services_.prompts.InputBox(this, texts::kExtensionPrompt,
                                        ApplicationTitle(), preset);
  });
  bool cancelled = true;
  trap.Run(102, [&] { cancelled = answer.empty(); });
  if (cancelled) return;
  trap.Run(104, [&] { services_.settings.SaveSetting(settings::kExtension, answer); });

  std::string folder;
  trap.Run(106, [&] {
    const std::string start = services_.settings.GetSetting(settings::kLastFolder, "");
    folder = services_.folder_picker.BrowseForFolder(this, texts::kSelectFolderPrompt,
                                                     start);
  });
  cancelled = true;
  trap.Run(108, [&] { cancelled = folder.empty(); });
  if (cancelled) return;
  trap.Run(110, [&] { services_.settings.SaveSetting(settings::kLastFolder, folder); });

  trap.Run(112, [&] { SetBusy(true); });
  trap.Run(114, [&] {
    WindowScanHost host(*this);
    AddFolderFilesToList(folder, texts::kExtensionPatternStart + answer, host);
  });
  trap.Run(116, [&] { SetBusy(false); });
}

void MainWindow::loadSamples() {
  WindowSampleHost host(*this);
  LoadSampleFiles(ProgramFolder(), host);
}

// Each dropped path in the drag source's order: an existing folder is
// scanned for files of every kind, anything else is appended as dropped.
// No busy state: the removal commands stay usable during a dropped scan.
void MainWindow::dropPaths(const std::vector<std::string>& paths) {
  Trap trap(services_.reporter, kDropIdentity);
  WindowScanHost host(*this);
  for (const std::string& path : paths) {
    bool folder = false;
    trap.Run(100, [&] { folder = IsFolder(path); });
    if (folder) {
      trap.Run(102, [&] {
        AddFolderFilesToList(FolderWithoutSeparator(path), texts::kAllFilesPattern, host);
      });
    } else {
      trap.Run(104, [&] { model_->Append(path); });
    }
  }
}

}  // namespace tarnwick
