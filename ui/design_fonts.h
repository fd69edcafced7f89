// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// The fonts the windows are designed with: bold Arial, one size for the
// windows, their labels and boxes, a larger one for push buttons.
#ifndef TARNWICK_UI_DESIGN_FONTS_H_
#define TARNWICK_UI_DESIGN_FONTS_H_

#include <QFont>

namespace tarnwick {

QFont WindowFont();
QFont PushButtonFont();

}  // namespace tarnwick

#endif  // TARNWICK_UI_DESIGN_FONTS_H_
