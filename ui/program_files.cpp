#include "ui/program_files.h"

#include <QCoreApplication>

namespace tarnwick {
namespace {

std::optional<std::string>& FolderOverride() {
  static std::optional<std::string> folder;
  return folder;
}

}  // namespace

std::string ProgramFolder() {
  if (FolderOverride()) return *FolderOverride();
  return QCoreApplication::applicationDirPath().toStdString();
}

void SetProgramFolderForTesting(const std::string& folder) {
  FolderOverride() = folder;
}

}  // namespace tarnwick
