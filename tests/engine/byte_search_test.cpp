#include "engine/byte_search.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

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

}  // namespace
}  // namespace tarnwick
