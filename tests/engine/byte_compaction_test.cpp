// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "engine/byte_compaction.h"
#include "engine/text_transforms.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace tarnwick {
namespace {

// Lengths around the 64-byte blocks of the vector path, with and without
// bytes of 0x80 and above.
TEST(ByteCompactionTest, MatchesByteByByteOnAllLengths) {
  std::mt19937 random(64);
  for (int non_ascii_stays = 0; non_ascii_stays < 2; ++non_ascii_stays) {
    std::array<bool, 256> stays{};
    for (int b = 0; b < 256; ++b) {
      stays[b] = b >= 0x80 ? non_ascii_stays == 1 : (b % 3 != 0 && b != ' ');
    }
    for (std::size_t size = 0; size < 300; ++size) {
      std::string bytes(size, '\0');
      for (char& c : bytes) c = static_cast<char>(random() % 256);
      std::string expected;
      for (char c : bytes) {
        if (stays[static_cast<unsigned char>(c)]) expected += c;
      }
      bytes.resize(CompactBytes(bytes.data(), bytes.size(), stays));
      ASSERT_EQ(bytes, expected) << "size " << size;
    }
  }
}

TEST(ByteCompactionTest, SqueezesRunsAcrossBlocks) {
  std::mt19937 random(65);
  for (std::size_t size = 0; size < 400; ++size) {
    std::string bytes(size, ' ');
    for (char& c : bytes) c = random() % 3 == 0 ? 'x' : ' ';
    std::string expected;
    for (char c : bytes) {
      if (!(c == ' ' && !expected.empty() && expected.back() == ' ')) expected += c;
    }
    bytes.resize(SqueezeSpaceBytes(bytes.data(), bytes.size()));
    ASSERT_EQ(bytes, expected) << "size " << size;
  }
  std::string spaces(1000, ' ');
  spaces.resize(SqueezeSpaceBytes(spaces.data(), spaces.size()));
  EXPECT_EQ(spaces, " ");
}

// Against the 16-bit empty-line remover, which works line by line.
TEST(ByteCompactionTest, RemovesEmptyLinesAcrossBlocks) {
  std::mt19937 random(66);
  for (int round = 0; round < 4000; ++round) {
    std::string bytes(random() % 300, ' ');
    for (char& c : bytes) c = "\r\n\n\ra"[random() % 5];
    const bool follows_line_end = round % 2 == 1;
    std::u16string units(bytes.begin(), bytes.end());
    RemoveEmptyLines(units, follows_line_end);
    bytes.resize(RemoveEmptyLineBytes(bytes.data(), bytes.size(), follows_line_end));
    ASSERT_EQ(std::u16string(bytes.begin(), bytes.end()), units) << "round " << round;
  }
}

}  // namespace
}  // namespace tarnwick
