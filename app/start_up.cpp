// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "app/start_up.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTime>

#include "core/product.h"
#include "files/platform.h"

namespace tarnwick {
namespace {

// Characters, not bytes: UTF-8 continuation bytes do not count.
std::size_t CharacterCount(std::string_view text) {
  std::size_t count = 0;
  for (const char c : text) {
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
  }
  return count;
}

std::string& StoredTitle() {
  static std::string title = ShortAppTitle(product::kName);
  return title;
}

std::string WithSeparator(const QString& folder) {
  std::string path = QDir::cleanPath(folder).toStdString();
  if (path.empty() || path.back() != kSeparator) path += kSeparator;
  return path;
}

}  // namespace

std::string ShortAppTitle(std::string_view name) {
  std::string_view title = name;
  do {
    const auto blank = title.rfind(' ');
    if (blank == std::string_view::npos) break;
    title = title.substr(0, blank);
  } while (CharacterCount(title) > 40);
  return std::string(title);
}

const std::string& ApplicationTitle() { return StoredTitle(); }

void SetApplicationTitle(const std::string& title) { StoredTitle() = title; }

std::string DefaultOutputFolder() {
  const QString desktop =
      QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
  if (!desktop.isEmpty() && QFileInfo(desktop).isDir()) {
    return WithSeparator(desktop);
  }
  return WithSeparator(QDir::homePath());
}

bool SkinFileExists(const std::string& program_folder) {
  const auto found = FileAttributes(program_folder + kSkinFile);
  if (!found) return false;
  const std::uint32_t unlisted = attributes::kDirectory | attributes::kHidden |
                                 attributes::kSystem;
  return (*found & unlisted) == 0;
}

TimeSeededRandom::TimeSeededRandom()
    : generator_(static_cast<unsigned>(QTime::currentTime().msecsSinceStartOfDay() / 1000) + 1u) {}

int TimeSeededRandom::Draw1To100() {
  return std::uniform_int_distribution<int>(1, 100)(generator_);
}

}  // namespace tarnwick
