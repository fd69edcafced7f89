// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/qt_settings_store.h"

#include <QByteArray>
#include <QSettings>
#include <QString>
#include <QVariant>

#include <cstdio>

#include "core/product.h"

namespace tarnwick {
namespace {

// One INI file per user for the application name, the section as its group.
// A fresh object for every call: the file is the only state.
class Section {
 public:
  Section()
      : settings_(QSettings::IniFormat, QSettings::UserScope,
                  QString::fromUtf8(product::kSettingsApplication)) {
    // Only the user's own file: no system-wide values mixed in.
    settings_.setFallbacksEnabled(false);
    settings_.beginGroup(QString::fromUtf8(product::kSettingsSection));
  }
  QSettings& operator*() { return settings_; }
  QSettings* operator->() { return &settings_; }

 private:
  QSettings settings_;
};

QString KeyOf(std::string_view key) {
  return QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size()));
}

bool IsValidUtf8(std::string_view text) {
  const QByteArray bytes(text.data(), static_cast<qsizetype>(text.size()));
  return QString::fromUtf8(bytes).toUtf8() == bytes;
}

// Told once per program run, on the error stream: the program goes on, and
// later reads see only what the file holds (the defaults, when it holds
// nothing).
void WarnNotSaved(const QSettings& settings) {
  static bool warned = false;
  if (warned) return;
  warned = true;
  std::fprintf(stderr,
               "%s: settings cannot be saved to %s; changed choices will not "
               "be remembered\n",
               product::kName, settings.fileName().toLocal8Bit().constData());
}

}  // namespace

std::string QtSettingsStore::GetSetting(std::string_view key,
                                        std::string_view default_value) {
  Section section;
  const QVariant value = section->value(KeyOf(key));
  if (!value.isValid()) return std::string(default_value);
  if (value.typeId() == QMetaType::QByteArray) {
    const QByteArray bytes = value.toByteArray();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
  }
  if (value.typeId() == QMetaType::QStringList) {
    // A hand-edited line with bare commas reads as a list; give it back as
    // the text it was.
    return value.toStringList().join(QStringLiteral(", ")).toStdString();
  }
  return value.toString().toStdString();
}

void QtSettingsStore::SaveSetting(std::string_view key,
                                  std::string_view value) {
  Section section;
  if (IsValidUtf8(value)) {
    section->setValue(KeyOf(key), KeyOf(value));
  } else {
    // Paths are byte strings; bytes that are not UTF-8 are kept exactly.
    section->setValue(KeyOf(key),
                      QByteArray(value.data(), static_cast<qsizetype>(value.size())));
  }
  section->sync();
  if (!section->isWritable() || section->status() != QSettings::NoError) {
    WarnNotSaved(*section);
  }
}

}  // namespace tarnwick
