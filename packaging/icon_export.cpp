// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// Writes the window program's icon as PNG files for the desktop's icon
// theme, so that the menu shows the same picture as the window:
//   tarnwick_icon_export THEME_FOLDER NAME SIZE...
// writes THEME_FOLDER/<SIZE>x<SIZE>/apps/NAME.png for every SIZE.
#include <cstdio>
#include <cstdlib>
#include <string>

#include <QDir>
#include <QGuiApplication>
#include <QIcon>
#include <QPixmap>

#include "app/app_icon.h"

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fputs("usage: tarnwick_icon_export THEME_FOLDER NAME SIZE...\n", stderr);
    return 2;
  }
  QGuiApplication application(argc, argv);
  const QString theme = QString::fromLocal8Bit(argv[1]);
  const QString name = QString::fromLocal8Bit(argv[2]);
  const QIcon icon = tarnwick::AppIcon();
  for (int i = 3; i < argc; ++i) {
    const int size = std::atoi(argv[i]);
    if (size <= 0) {
      std::fprintf(stderr, "tarnwick_icon_export: '%s' is not a size\n", argv[i]);
      return 2;
    }
    const QString folder = QStringLiteral("%1/%2x%2/apps").arg(theme).arg(size);
    const QString file = folder + QLatin1Char('/') + name + QStringLiteral(".png");
    const QPixmap pixmap = icon.pixmap(QSize(size, size));
    if (!QDir().mkpath(folder) || pixmap.size() != QSize(size, size) ||
        !pixmap.save(file, "PNG")) {
      std::fprintf(stderr, "tarnwick_icon_export: cannot write %s\n",
                   file.toLocal8Bit().constData());
      return 1;
    }
  }
  return 0;
}
