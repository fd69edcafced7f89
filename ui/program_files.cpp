// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/program_files.h"

#include <filesystem>

#include <QCoreApplication>

#include "files/path_helpers.h"

// The installed layout's data folder relative to the installed program's
// folder; the build system gives it (see ui/CMakeLists.txt).
#ifndef TARNWICK_INSTALLED_DATA_FROM_BIN
#define TARNWICK_INSTALLED_DATA_FROM_BIN "../share/tarnwick"
#endif

namespace tarnwick {
namespace {

std::optional<std::string>& FolderOverride() {
  static std::optional<std::string> folder;
  return folder;
}

}  // namespace

std::string ProgramFolder() {
  if (FolderOverride()) return *FolderOverride();
  return FilesFolderFor(QCoreApplication::applicationDirPath().toStdString(),
                        TARNWICK_INSTALLED_DATA_FROM_BIN);
}

std::string FilesFolderFor(const std::string& program_folder,
                           std::string_view installed_data) {
  if (installed_data.empty()) return program_folder;
  const std::filesystem::path data =
      (std::filesystem::path(program_folder) / installed_data).lexically_normal();
  std::string folder = data.string();
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return IsFolder(folder) ? folder : program_folder;
}

void SetProgramFolderForTesting(const std::string& folder) {
  FolderOverride() = folder;
}

}  // namespace tarnwick
