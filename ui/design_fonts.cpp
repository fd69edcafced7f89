// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/design_fonts.h"

#include <QString>

namespace tarnwick {
namespace {

constexpr char kFontFamily[] = "Arial";
constexpr double kWindowPointSize = 9.0;
constexpr double kButtonPointSize = 11.25;

QFont BoldArial(double point_size) {
  QFont font(QString::fromLatin1(kFontFamily));
  font.setPointSizeF(point_size);
  font.setBold(true);
  return font;
}

}  // namespace

QFont WindowFont() { return BoldArial(kWindowPointSize); }

QFont PushButtonFont() { return BoldArial(kButtonPointSize); }

}  // namespace tarnwick
