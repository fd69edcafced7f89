#include "engine/streaming_replace.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "engine/text_transforms.h"

namespace tarnwick {
namespace {

// However the input is cut into pieces, the result is that of one pass over
// the whole.
TEST(StreamingReplaceTest, PiecesGiveTheResultOfOnePass) {
  const char* const finds[] = {"a", "aa", "aab", "abab", "\r\n", "xyzzy"};
  const char* const replacements[] = {"", "b", "aa", "ab", "\n"};
  std::mt19937 random(5);
  for (int round = 0; round < 3000; ++round) {
    std::string input(random() % 80, 'a');
    for (char& c : input) c = "ab\r\nxyz"[random() % 7];
    const std::string find = finds[random() % std::size(finds)];
    const std::string replacement = replacements[random() % std::size(replacements)];
    std::string expected = input;
    ReplaceAll<char>(expected, find, replacement);

    StreamingReplace pass(find, replacement);
    std::string output;
    for (std::size_t at = 0; at < input.size();) {
      const std::size_t length = std::min<std::size_t>(random() % 7, input.size() - at);
      output += pass.Feed(std::string_view(input).substr(at, length), false);
      at += length;
    }
    output += pass.Feed("", true);
    ASSERT_EQ(output, expected) << "round " << round << ", find " << find;
  }
}

TEST(StreamingReplaceTest, NoticesWhereARemovalMayJoinBytes) {
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
    StreamingReplace pass(c.find, c.replacement);
    std::string output;
    for (const std::string& piece : c.pieces) output += pass.Feed(piece, false);
    output += pass.Feed("", true);
    EXPECT_EQ(pass.MayHaveJoined(), c.may_have_joined) << c.name;
  }
}

}  // namespace
}  // namespace tarnwick
