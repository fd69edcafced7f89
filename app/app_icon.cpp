// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "app/app_icon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace tarnwick {
namespace {

// A sheet of text with a folded corner, and an eraser stroke across it.
QPixmap DrawIcon(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.scale(size / 64.0, size / 64.0);

  QPainterPath sheet;
  sheet.moveTo(12, 4);
  sheet.lineTo(42, 4);
  sheet.lineTo(54, 16);
  sheet.lineTo(54, 60);
  sheet.lineTo(12, 60);
  sheet.closeSubpath();
  painter.setPen(QPen(QColor(40, 60, 90), 2.5));
  painter.setBrush(Qt::white);
  painter.drawPath(sheet);

  QPainterPath fold;
  fold.moveTo(42, 4);
  fold.lineTo(42, 16);
  fold.lineTo(54, 16);
  painter.setBrush(QColor(200, 212, 230));
  painter.drawPath(fold);

  painter.setPen(QPen(QColor(90, 110, 140), 3.5, Qt::SolidLine, Qt::RoundCap));
  for (int line = 0; line < 5; ++line) {
    const double y = 24 + line * 7.5;
    painter.drawLine(QPointF(19, y), QPointF(line % 2 == 0 ? 47 : 40, y));
  }

  painter.setPen(QPen(QColor(210, 40, 40), 6, Qt::SolidLine, Qt::RoundCap));
  painter.drawLine(QPointF(8, 50), QPointF(58, 22));
  return pixmap;
}

}  // namespace

QIcon AppIcon() {
  QIcon icon;
  for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
    icon.addPixmap(DrawIcon(size));
  }
  return icon;
}

}  // namespace tarnwick
