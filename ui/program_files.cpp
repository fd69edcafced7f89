#include "ui/program_files.h"

#include <QCoreApplication>
#include <QFile>
#include <QImageReader>
#include <QPixmap>

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

std::optional<QCursor> LoadCursorFile(const std::string& path) {
  const QString name = QString::fromStdString(path);
  if (!QFile::exists(name)) return std::nullopt;
  QImageReader reader(name);
  // Cursor and icon files share one format; try both names for it.
  if (!reader.canRead()) {
    reader.setFileName(name);
    reader.setFormat("ico");
  }
  const QImage image = reader.read();
  if (image.isNull()) return std::nullopt;
  return QCursor(QPixmap::fromImage(image));
}

}  // namespace tarnwick
