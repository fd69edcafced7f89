// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// Design units: places and sizes are given in twips, 15 to a pixel.
#ifndef TARNWICK_UI_TWIPS_H_
#define TARNWICK_UI_TWIPS_H_

#include <QRect>

namespace tarnwick {

inline constexpr int kTwipsPerPixel = 15;

// Twips to pixels, rounded to the nearest pixel.
constexpr int TwipsToPixels(int twips) {
  return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel;
}

// A rectangle given in twips, in pixels.
inline QRect TwipsRect(int left, int top, int width, int height) {
  return QRect(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width),
               TwipsToPixels(height));
}

}  // namespace tarnwick

#endif  // TARNWICK_UI_TWIPS_H_
