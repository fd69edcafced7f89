// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// The folder picker on Qt's directory dialog: opened with the start folder
// selected, folders only, the empty text when cancelled.
#ifndef TARNWICK_APP_FOLDER_PICKER_H_
#define TARNWICK_APP_FOLDER_PICKER_H_

#include <string>

#include "app/window_services.h"

class QWidget;

namespace tarnwick {

// The size the file and folder dialogs open at: wide enough for the names,
// sizes and dates of their columns.
inline constexpr int kFileDialogWidth = 760;
inline constexpr int kFileDialogHeight = 480;

// Shows the modal picker and returns the picked folder without a trailing
// "/" (the root stays "/"), or the empty text when the user cancelled.
// Swallows every failure: an empty or missing start folder selects nothing.
std::string BrowseForFolder(QWidget* owner, const std::string& prompt,
                            const std::string& start_folder);

// A picked path as the picker returns it: trailing separators removed, a
// path made only of separators becomes "/".
std::string PickedFolderText(const std::string& path);

class QtFolderPicker : public FolderPicker {
 public:
  std::string BrowseForFolder(QWidget* owner, const std::string& prompt,
                              const std::string& start_folder) override;
};

}  // namespace tarnwick

#endif  // TARNWICK_APP_FOLDER_PICKER_H_
