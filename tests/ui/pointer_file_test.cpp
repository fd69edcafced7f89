// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/pointer_file.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>

#include "tests/support/temp_dir.h"

namespace tarnwick {
namespace {

// A 16x16 icon file as Qt writes it, turned into a cursor file with the
// given hot spot when type is 2.
std::string PointerFileBytes(int type, int hot_x, int hot_y) {
  QImage image(16, 16, QImage::Format_ARGB32);
  image.fill(Qt::black);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  EXPECT_TRUE(image.save(&buffer, "ico"));
  std::string file(bytes.constData(), static_cast<std::size_t>(bytes.size()));
  file[2] = static_cast<char>(type);
  if (type == 2) {
    file[10] = static_cast<char>(hot_x);
    file[11] = 0;
    file[12] = static_cast<char>(hot_y);
    file[13] = 0;
  }
  return file;
}

TEST(CursorHotSpotTest, ReadsTheFirstEntryOfACursorFileOnly) {
  EXPECT_EQ(CursorHotSpot(PointerFileBytes(2, 5, 0)), (HotSpot{5, 0}));
  EXPECT_EQ(CursorHotSpot(PointerFileBytes(2, 0, 15)), (HotSpot{0, 15}));
  EXPECT_EQ(CursorHotSpot(PointerFileBytes(1, 5, 0)), std::nullopt);  // icon
  EXPECT_EQ(CursorHotSpot(PointerFileBytes(2, 5, 0).substr(0, 13)), std::nullopt);
  EXPECT_EQ(CursorHotSpot(""), std::nullopt);
}

TEST(LoadPointerFileTest, KeepsTheCursorFilesHotSpot) {
  testing::TempDir dir;
  const std::string cursor = dir.Write("HAND-M.CUR", PointerFileBytes(2, 5, 0));
  const std::string icon = dir.Write("drag.ico", PointerFileBytes(1, 0, 0));
  const std::string broken = dir.Write("bad.cur", "not a cursor");
  const auto hand = LoadPointerFile(cursor);
  ASSERT_TRUE(hand.has_value());
  EXPECT_EQ(hand->hotSpot(), QPoint(5, 0));
  const auto drag = LoadPointerFile(icon);
  ASSERT_TRUE(drag.has_value());
  EXPECT_EQ(drag->hotSpot(), QPoint(8, 8));  // the image centre
  EXPECT_FALSE(LoadPointerFile(broken).has_value());
  EXPECT_FALSE(LoadPointerFile(dir / "missing.cur").has_value());
}

}  // namespace
}  // namespace tarnwick
