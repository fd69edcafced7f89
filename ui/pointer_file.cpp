// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/pointer_file.h"

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QPixmap>

namespace tarnwick {
namespace {

// The file header: reserved (0), type (1 icon, 2 cursor), image count; then
// 16-byte directory entries.
constexpr std::size_t kHeaderSize = 6;
constexpr std::size_t kEntryHotSpotX = kHeaderSize + 4;
constexpr std::size_t kEntryHotSpotY = kHeaderSize + 6;
constexpr int kCursorType = 2;

int Word(std::string_view bytes, std::size_t at) {
  return static_cast<unsigned char>(bytes[at]) |
         static_cast<unsigned char>(bytes[at + 1]) << 8;
}

}  // namespace

std::optional<HotSpot> CursorHotSpot(std::string_view bytes) {
  if (bytes.size() < kEntryHotSpotY + 2) return std::nullopt;
  if (Word(bytes, 0) != 0 || Word(bytes, 2) != kCursorType || Word(bytes, 4) < 1) {
    return std::nullopt;
  }
  return HotSpot{Word(bytes, kEntryHotSpotX), Word(bytes, kEntryHotSpotY)};
}

std::optional<QCursor> LoadPointerFile(const std::string& path) {
  QFile file(QString::fromStdString(path));
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  QByteArray bytes = file.readAll();
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer);
  // Cursor and icon files share one format, which the reader knows by the
  // icon's name only.
  if (!reader.canRead()) {
    buffer.seek(0);
    reader.setFormat("ico");
  }
  const QImage image = reader.read();
  if (image.isNull()) return std::nullopt;
  const QPixmap pixmap = QPixmap::fromImage(image);
  const auto hot = CursorHotSpot(std::string_view(bytes.constData(),
                                                  static_cast<std::size_t>(bytes.size())));
  if (!hot || hot->x >= pixmap.width() || hot->y >= pixmap.height()) {
    return QCursor(pixmap);
  }
  return QCursor(pixmap, hot->x, hot->y);
}

}  // namespace tarnwick
