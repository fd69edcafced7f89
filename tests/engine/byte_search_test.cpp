// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "engine/byte_search.h"
#include "engine/vector_loops.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string_view>
#include <utility>
#include <string>
#include <vector>

namespace tarnwick {
namespace {

// Haystacks around the 64-byte blocks of the vector path, needles of every
// length from 0 to beyond a block.
TEST(FindBytesTest, AgreesWithStringFind) {
  std::mt19937 random(3);
  for (int round = 0; round < 20000; ++round) {
    std::string haystack(random() % 200, 'a');
    for (char& c : haystack) c = "abc\xC3\xA9"[random() % 5];
    std::string needle(random() % 6, 'a');
    for (char& c : needle) c = "abc\xC3\xA9"[random() % 5];
    if (round % 50 == 0) needle = haystack.substr(random() % (haystack.size() + 1));
    const std::size_t from = random() % (haystack.size() + 2);
    ASSERT_EQ(FindBytes(haystack, from, needle),
              std::string_view(haystack).find(needle, from))
        << "round " << round;
  }
}

TEST(FindAllBytesTest, FindsEveryMatchWithoutOverlapInBatches) {
  std::mt19937 random(4);
  for (int round = 0; round < 5000; ++round) {
    std::string haystack(random() % 300, 'a');
    for (char& c : haystack) c = "aab"[random() % 3];
    std::string needle(1 + random() % 4, 'a');
    for (char& c : needle) c = "aab"[random() % 3];
    std::vector<std::size_t> expected;
    for (std::size_t at = 0; (at = haystack.find(needle, at)) != std::string::npos;
         at += needle.size()) {
      expected.push_back(at);
    }
    const std::size_t capacity = 1 + random() % 5;
    std::vector<std::size_t> found;
    std::size_t from = 0;
    for (;;) {
      std::size_t batch[5];
      const std::size_t count = FindAllBytes(haystack, from, needle, batch, capacity);
      found.insert(found.end(), batch, batch + count);
      if (count < capacity) break;
      from = batch[count - 1] + needle.size();
    }
    ASSERT_EQ(found, expected) << "round " << round;
  }
}

// At each position the first of the finds that occurs there, in batches;
// finds that share bytes and overlap included.
TEST(FindAnyBytesTest, TakesTheFirstFindAtEachPositionWithoutOverlap) {
  const char* const pool[] = {"a", "ab", "ba", "aab", "b\xC3\xA9", "\xC3\xA9",
                              "c", "abababababababababab"};
  std::mt19937 random(6);
  for (int round = 0; round < 5000; ++round) {
    std::string haystack(random() % 300, 'a');
    for (char& c : haystack) c = "aabc\xC3\xA9"[random() % 6];
    std::vector<std::string_view> finds(1 + random() % kMaxFinds);
    for (std::string_view& find : finds) find = pool[random() % std::size(pool)];
    std::vector<std::pair<std::size_t, std::size_t>> expected;
    for (std::size_t at = 0; at < haystack.size();) {
      std::size_t k = 0;
      while (k < finds.size() && haystack.compare(at, finds[k].size(), finds[k]) != 0) ++k;
      if (k == finds.size()) {
        ++at;
      } else {
        expected.emplace_back(at, k);
        at += finds[k].size();
      }
    }
    const std::size_t capacity = 1 + random() % 5;
    std::vector<std::pair<std::size_t, std::size_t>> found;
    for (std::size_t from = 0;;) {
      std::size_t positions[5];
      unsigned char which[5];
      const std::size_t count = FindAnyBytes(haystack, from, finds.data(), finds.size(),
                                             positions, which, capacity);
      for (std::size_t k = 0; k < count; ++k) found.emplace_back(positions[k], which[k]);
      if (count < capacity) break;
      from = positions[count - 1] + finds[which[count - 1]].size();
    }
    ASSERT_EQ(found, expected) << "round " << round;
  }
}

// CTest runs the byte-path tests twice, the second time with
// TARNWICK_PORTABLE_LOOPS set: that run must take the portable loops.
TEST(VectorLoopsTest, TheSwitchChoosesThePortableLoops) {
  const char* forced = std::getenv("TARNWICK_PORTABLE_LOOPS");
  const bool portable_asked = forced != nullptr && std::string(forced) == "1";
  std::printf("vector loops in use: %s\n", VectorLoopsInUse().c_str());
  EXPECT_EQ(UseVectorLoops(), !portable_asked);
  if (portable_asked) {
    EXPECT_EQ(VectorLoopsInUse(), "portable");
  } else {
    // The best instruction set this processor runs, unless one was named.
    const std::vector<std::string> targets = SupportedVectorTargets();
    ASSERT_FALSE(targets.empty());
    const char* named = std::getenv("TARNWICK_VECTOR_TARGET");
    EXPECT_EQ(VectorLoopsInUse(), named != nullptr ? named : targets.front());
  }
  ForcePortableLoops(true);
  EXPECT_EQ(VectorLoopsInUse(), "portable");
  EXPECT_FALSE(UseVectorLoops());
  EXPECT_EQ(FindBytes(std::string(200, 'a') + "ab", 0, "ab"), 200u);
  ForcePortableLoops(false);
  EXPECT_EQ(UseVectorLoops(), !portable_asked);
}

}  // namespace
}  // namespace tarnwick
