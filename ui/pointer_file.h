// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// Pointer images from cursor (.cur) and icon (.ico) files beside the
// program, with the hot spot a cursor file names.
#ifndef TARNWICK_UI_POINTER_FILE_H_
#define TARNWICK_UI_POINTER_FILE_H_

#include <optional>
#include <string>
#include <string_view>

#include <QCursor>

namespace tarnwick {

struct HotSpot {
  int x = 0;
  int y = 0;
  bool operator==(const HotSpot&) const = default;
};

// The hot spot of a cursor file's first image, read from its header (the
// directory entry's two 16-bit fields after width, height, colours and a
// reserved byte). Nothing for an icon file or a header too short to hold it.
std::optional<HotSpot> CursorHotSpot(std::string_view bytes);

// The pointer in a cursor or icon file: the first image, with the file's
// hot spot for a cursor (the image centre otherwise). Nothing when the
// file is missing or cannot be read.
std::optional<QCursor> LoadPointerFile(const std::string& path);

}  // namespace tarnwick

#endif  // TARNWICK_UI_POINTER_FILE_H_
