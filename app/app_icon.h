// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// The application icon, drawn by the program itself in every usual size.
#ifndef TARNWICK_APP_APP_ICON_H_
#define TARNWICK_APP_APP_ICON_H_

#include <QIcon>

namespace tarnwick {

QIcon AppIcon();

}  // namespace tarnwick

#endif  // TARNWICK_APP_APP_ICON_H_
