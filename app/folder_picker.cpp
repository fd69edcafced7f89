// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "app/folder_picker.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

#include "files/path_helpers.h"
#include "files/platform.h"

namespace tarnwick {

std::string PickedFolderText(const std::string& path) {
  if (path.empty()) return path;
  const auto last = path.find_last_not_of(kSeparator);
  if (last == std::string::npos) return kSeparatorText;
  return path.substr(0, last + 1);
}

std::string BrowseForFolder(QWidget* owner, const std::string& prompt,
                            const std::string& start_folder) {
  try {
    QFileDialog dialog(owner, QString::fromStdString(prompt));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOptions(QFileDialog::ShowDirsOnly |
                      QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.resize(kFileDialogWidth, kFileDialogHeight);
    if (!start_folder.empty() && IsFolder(start_folder)) {
      const QFileInfo start(QString::fromStdString(start_folder));
      if (IsRootFolder(start_folder)) {
        dialog.setDirectory(QDir::rootPath());
      } else {
        // Open the parent with the start folder selected, so that confirming
        // at once returns the start folder itself.
        dialog.setDirectory(start.absolutePath());
        dialog.selectFile(start.fileName());
      }
    }
    if (dialog.exec() != QDialog::Accepted) return {};
    const QStringList picked = dialog.selectedFiles();
    if (picked.isEmpty()) return {};
    return PickedFolderText(QDir::cleanPath(picked.first()).toStdString());
  } catch (...) {
    return {};
  }
}

std::string QtFolderPicker::BrowseForFolder(QWidget* owner,
                                            const std::string& prompt,
                                            const std::string& start_folder) {
  return tarnwick::BrowseForFolder(owner, prompt, start_folder);
}

}  // namespace tarnwick
