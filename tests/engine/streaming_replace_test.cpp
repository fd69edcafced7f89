// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "engine/streaming_replace.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "engine/text_transforms.h"

namespace tarnwick {
namespace {

std::string RunChain(const std::vector<ReplaceChain::Pair>& pairs,
                     const std::vector<std::string>& pieces, std::size_t room,
                     bool* may_have_joined = nullptr) {
  std::string output;
  ReplaceChain chain(pairs, [&](std::string_view bytes) { output += bytes; }, room);
  for (const std::string& piece : pieces) chain.Feed(piece, false);
  chain.Feed("", true);
  if (may_have_joined != nullptr) *may_have_joined = chain.MayHaveJoined();
  return output;
}

// However the input is cut into pieces and however small the buffers
// between the passes, the result is that of the passes one after another
// over the whole.
TEST(ReplaceChainTest, PiecesAndSmallBuffersGiveTheResultOfThePasses) {
  const char* const finds[] = {"a", "aa", "aab", "abab", "\r\n", "xyzzy", "b"};
  const char* const replacements[] = {"", "b", "aa", "ab", "\n",
                                      "grows much longer than any buffer"};
  std::mt19937 random(5);
  for (int round = 0; round < 3000; ++round) {
    std::string input(random() % 80, 'a');
    for (char& c : input) c = "ab\r\nxyz"[random() % 7];
    std::vector<ReplaceChain::Pair> pairs(1 + random() % 4);
    std::string expected = input;
    for (auto& [find, replacement] : pairs) {
      find = finds[random() % std::size(finds)];
      replacement = replacements[random() % std::size(replacements)];
      ReplaceAll<char>(expected, find, replacement);
    }
    std::vector<std::string> pieces;
    for (std::size_t at = 0; at < input.size();) {
      const std::size_t length = std::min<std::size_t>(random() % 7, input.size() - at);
      pieces.push_back(input.substr(at, length));
      at += length;
    }
    const std::size_t room = round % 3 == 0 ? 0 : 1 + random() % 9;
    ASSERT_EQ(RunChain(pairs, pieces, room), expected)
        << "round " << round << ", room " << room;
  }
}

// With the room chosen by the chain, its buffers start small and grow with
// the pieces: bytes held back before a bigger piece arrives are kept.
TEST(ReplaceChainTest, BuffersGrowWithThePieces) {
  const std::vector<ReplaceChain::Pair> pairs = {
      {"aab", "X"}, {"Xa", "a much longer replacement"}, {"ca", ""}};
  std::string big;
  while (big.size() < (300u << 10)) big += "baabaabcab";
  const std::vector<std::vector<std::string>> cuts = {
      {"xa", "ab" + big, "aa", big + "a", "ab"},
      {"c", big, "aa", "b" + big + big, "aabaa"},
  };
  for (const auto& pieces : cuts) {
    std::string expected;
    for (const std::string& piece : pieces) expected += piece;
    for (const auto& [find, replacement] : pairs) {
      ReplaceAll<char>(expected, find, replacement);
    }
    EXPECT_TRUE(RunChain(pairs, pieces, 0) == expected) << pieces.front();
  }
}

// Passes whose finds share no byte with each other or with an earlier
// pass's replacement run as one scan: the same result, also with the
// matches of one find in several batches, long stretches without a match
// and replacements longer than the buffer.
TEST(ReplaceChainTest, PassesOfFindsWithoutCommonBytesGiveTheResultOfThePasses) {
  const std::vector<std::vector<const char*>> finds = {
      {"ab", "aab", "b"}, {"c", "cc"}, {"\r\n", "\n\n"}, {"xyzzy", "zz"}};
  const char* const replacements[] = {"Q", "QQQQQQQQQQQQQQQQQQQQ", "", "c", "\n"};
  std::mt19937 random(7);
  for (int round = 0; round < 3000; ++round) {
    std::string input(random() % (round % 10 == 0 ? 3000 : 90), 'a');
    for (char& c : input) c = "aabc\r\nxyzQ"[random() % 10];
    std::vector<std::size_t> groups = {0, 1, 2, 3};
    std::shuffle(groups.begin(), groups.end(), random);
    std::vector<ReplaceChain::Pair> pairs(1 + random() % 4);
    std::string expected = input;
    for (std::size_t k = 0; k < pairs.size(); ++k) {
      const auto& group = finds[groups[k]];
      pairs[k].first = group[random() % group.size()];
      pairs[k].second = replacements[random() % (k + 1 < pairs.size() ? 2 : 3)];
      if (round % 7 == 0) pairs[k].second = replacements[random() % 5];
      ReplaceAll<char>(expected, pairs[k].first, pairs[k].second);
    }
    std::vector<std::string> pieces;
    for (std::size_t at = 0; at < input.size();) {
      const std::size_t length =
          std::min<std::size_t>(random() % (round % 2 == 0 ? 7 : 700), input.size() - at);
      pieces.push_back(input.substr(at, length));
      at += length;
    }
    const std::size_t room = round % 3 == 0 ? 0 : 1 + random() % 30;
    ASSERT_EQ(RunChain(pairs, pieces, room), expected)
        << "round " << round << ", room " << room;
  }
}

TEST(ReplaceChainTest, NoticesWhereARemovalMayJoinBytes) {
  struct Case {
    const char* name;
    std::vector<std::string> pieces;
    const char* find;
    const char* replacement;
    bool may_have_joined;
  };
  const Case cases[] = {
      {"lead, removal, continuation", {"\xC3x\xA9"}, "x", "", true},
      {"across pieces", {"\xE2\x82x", "x", "\xAC"}, "xx", "", true},
      {"valid text around a removal", {"\xC3\xA9x\xC3\xA9"}, "x", "", false},
      {"a replacement stands between", {"\xC3x\xA9"}, "x", "y", false},
      {"ASCII before the continuation", {"ax\xA9"}, "x", "", false},
      {"no removal at all", {"\xC3\xA9"}, "zz", "", false},
  };
  for (const Case& c : cases) {
    // A second pass follows: only a pass with one after it counts.
    bool joined = false;
    RunChain({{c.find, c.replacement}, {"q", "Q"}}, c.pieces, 0, &joined);
    EXPECT_EQ(joined, c.may_have_joined) << c.name;
    RunChain({{c.find, c.replacement}}, c.pieces, 0, &joined);
    EXPECT_FALSE(joined) << c.name << ", last pass";
  }
}

}  // namespace
}  // namespace tarnwick
