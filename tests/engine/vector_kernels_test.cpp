// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// Every vector loop against the portable loops, on every instruction set
// that the loops were compiled for and this processor runs, over inputs
// built to meet the vector edges: every length up to three vectors of the
// widest target and a little more, all 256 byte values, CR LF split across
// vector edges, invalid UTF-8 and UTF-16 with surrogates.
#include <gtest/gtest.h>
#include <hwy/highway.h>
#include <hwy/targets.h>

#include <array>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <functional>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "engine/byte_compaction.h"
#include "engine/byte_search.h"
#include "engine/streaming_replace.h"
#include "engine/text_codec.h"
#include "engine/vector_loops.h"

namespace tarnwick {
namespace {

constexpr std::size_t kWidest = 64;               // bytes in the widest vector
constexpr std::size_t kLongest = 3 * kWidest + 3;  // every length up to this

// Runs check once per target, the processor's choice restored afterwards;
// prints the targets it ran.
void OnEveryTarget(const std::function<void(const std::string&)>& check) {
  std::string ran;
  for (const std::int64_t target : hwy::SupportedAndGeneratedTargets()) {
    hwy::SetSupportedTargetsForTest(target);
    const std::string name = hwy::TargetName(target);
    ASSERT_EQ(VectorLoopsInUse(), name);
    check(name);
    ran += " " + name;
  }
  hwy::SetSupportedTargetsForTest(0);
  std::printf("vector loops checked on:%s\n", ran.c_str());
  EXPECT_FALSE(ran.empty());
}

// The result of f on the portable loops.
template <class F>
auto Portable(F&& f) {
  ForcePortableLoops(true);
  auto result = f();
  ForcePortableLoops(false);
  return result;
}

// Byte strings of every length up to kLongest from several sources: all
// 256 byte values (at every rotation), line ends and spaces in runs, and
// UTF-8 with invalid sequences.
std::vector<std::string> ByteInputs() {
  std::vector<std::string> inputs;
  std::string all(256, '\0');
  for (int b = 0; b < 256; ++b) all[static_cast<std::size_t>(b)] = static_cast<char>(b);
  const std::string pieces[] = {"\r\n", "\n", "\r", " ", "  ", "\t", "a",
                                "\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80",
                                "\xED\xA0\x80", "\xC3", "\xFF", "\x80"};
  std::mt19937 random(20);
  for (std::size_t size = 0; size <= kLongest; ++size) {
    inputs.push_back((all + all).substr(size % 256, size));
    inputs.push_back((all + all).substr((size * 7 + 128) % 256, size));
    for (int round = 0; round < 3; ++round) {
      std::string text;
      while (text.size() < size) text += pieces[random() % std::size(pieces)];
      text.resize(size);
      inputs.push_back(text);
    }
  }
  // A CR LF (and a blank line) at every position, so that some fall across
  // every vector edge.
  for (std::size_t at = 0; at + 2 <= kLongest; ++at) {
    std::string text(kLongest, 'x');
    text.replace(at, 2, "\r\n");
    inputs.push_back(text);
    if (at >= 2) text.replace(at - 2, 2, "\r\n");
    inputs.push_back(text);
    inputs.push_back(std::string(at, '\n') + "\r\n\r\n" + std::string(kLongest - at, ' '));
  }
  return inputs;
}

std::array<bool, 256> Stays(std::string_view dropped, bool non_ascii_stays) {
  std::array<bool, 256> stays{};
  for (int b = 0; b < 256; ++b) stays[static_cast<std::size_t>(b)] = b >= 0x80 ? non_ascii_stays : true;
  for (const char c : dropped) stays[static_cast<unsigned char>(c)] = false;
  return stays;
}

TEST(VectorKernelsTest, CompactionAgreesWithThePortableLoops) {
  std::string letters_digits;
  for (int b = 0; b < 128; ++b) {
    if (std::isalnum(b)) letters_digits += static_cast<char>(b);
  }
  std::string controls_and_high;  // one byte from every high nibble
  for (int b = 0; b < 128; b += 9) controls_and_high += static_cast<char>(b);
  struct Set {
    const char* name;
    std::array<bool, 256> stays;
  };
  std::array<bool, 256> keep_only = Stays(letters_digits + " \r\n\t", false);
  for (int b = 0; b < 128; ++b) keep_only[static_cast<std::size_t>(b)] = !keep_only[static_cast<std::size_t>(b)];
  for (const char c : letters_digits + " \r\n\t") keep_only[static_cast<unsigned char>(c)] = true;
  const Set sets[] = {
      {"spaces", Stays(" ", true)},
      {"tabs", Stays("\t", true)},
      {"letters and digits", Stays(letters_digits, true)},
      {"every ninth ASCII byte", Stays(controls_and_high, true)},
      {"everything ASCII and above", Stays(std::string(), false)},
      {"keep letters, digits, white space", keep_only},
  };
  const std::vector<std::string> inputs = ByteInputs();
  OnEveryTarget([&](const std::string& target) {
    for (const Set& set : sets) {
      for (const std::string& input : inputs) {
        std::string expected = input;
        expected.resize(Portable([&] {
          return CompactBytes(expected.data(), expected.size(), set.stays);
        }));
        std::string actual = input;
        actual.resize(CompactBytes(actual.data(), actual.size(), set.stays));
        ASSERT_EQ(actual, expected)
            << target << ", " << set.name << ", size " << input.size();
      }
    }
  });
}

TEST(VectorKernelsTest, SqueezeAndBlankLinesAgreeWithThePortableLoops) {
  const std::vector<std::string> inputs = ByteInputs();
  OnEveryTarget([&](const std::string& target) {
    for (const std::string& input : inputs) {
      for (const bool follows : {false, true}) {
        std::string expected = input;
        expected.resize(Portable([&] {
          return SqueezeSpaceBytes(expected.data(), expected.size(), follows);
        }));
        std::string actual = input;
        actual.resize(SqueezeSpaceBytes(actual.data(), actual.size(), follows));
        ASSERT_EQ(actual, expected) << target << ", spaces, size "
                                    << input.size() << ", follows " << follows;

        expected = input;
        expected.resize(Portable([&] {
          return RemoveEmptyLineBytes(expected.data(), expected.size(), follows);
        }));
        actual = input;
        actual.resize(RemoveEmptyLineBytes(actual.data(), actual.size(), follows));
        ASSERT_EQ(actual, expected) << target << ", blank lines, size "
                                    << input.size() << ", follows " << follows;
      }
    }
  });
}

TEST(VectorKernelsTest, SearchAgreesWithThePortableLoops) {
  std::vector<std::string> inputs = ByteInputs();
  // Longer ones too, for the search that lists the candidates of many
  // vectors before it tries them.
  std::mt19937 random(21);
  for (const char* alphabet : {"ab\r\n", "x\xC3\xA9 ", "xxxxxxxxxxxxxxx\r\n"}) {
    std::string text(5000, ' ');
    for (char& c : text) c = alphabet[random() % std::strlen(alphabet)];
    inputs.push_back(text);
  }
  const std::string needles[] = {"\r\n", "\r\n\r\n", "  ", "\xC3\xA9", "ab",
                                 std::string("\0\x01", 2), "\xFF\x00x",
                                 "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx"};
  OnEveryTarget([&](const std::string& target) {
    for (const std::string& input : inputs) {
      for (const std::string& needle : needles) {
        for (std::size_t from : {std::size_t{0}, std::size_t{1}, input.size() / 2,
                                 input.size()}) {
          const std::size_t expected =
              Portable([&] { return FindBytes(input, from, needle); });
          ASSERT_EQ(FindBytes(input, from, needle), expected)
              << target << ", size " << input.size() << ", from " << from;
        }
        for (const std::size_t capacity : {std::size_t{1}, std::size_t{3}, std::size_t{500}}) {
          std::vector<std::size_t> expected(capacity), actual(capacity);
          expected.resize(Portable([&] {
            return FindAllBytes(input, 0, needle, expected.data(), capacity);
          }));
          actual.resize(FindAllBytes(input, 0, needle, actual.data(), capacity));
          ASSERT_EQ(actual, expected)
              << target << ", size " << input.size() << ", capacity " << capacity;
        }
      }
      // Several finds at once, one to four of them, long ones reaching past
      // the vectors.
      for (std::size_t count = 1; count <= kMaxFinds; ++count) {
        for (std::size_t first = 0; first + count <= std::size(needles); first += 2) {
          std::string_view finds[kMaxFinds];
          for (std::size_t k = 0; k < count; ++k) finds[k] = needles[first + k];
          // Positions that fill up after one, three matches, or never.
          for (const std::size_t capacity : {std::size_t{1}, std::size_t{3}, std::size_t{500}}) {
            const auto search = [&] {
              std::vector<std::size_t> positions(capacity);
              std::vector<unsigned char> which(capacity);
              positions.resize(FindAnyBytes(input, 1, finds, count, positions.data(),
                                            which.data(), capacity));
              which.resize(positions.size());
              return std::make_pair(positions, which);
            };
            ASSERT_EQ(search(), Portable(search)) << target << ", size " << input.size()
                                                  << ", finds " << count
                                                  << ", capacity " << capacity;
          }
        }
      }
    }
  });
}

TEST(VectorKernelsTest, ReplacementInOneScanAgreesWithThePortableLoops) {
  std::vector<std::string> inputs = ByteInputs();
  std::mt19937 random(22);
  for (const char* alphabet : {"ab\r\n", "x\xC3\xA9 ", "xxxxxxxxxxxxxxx\r\nab"}) {
    std::string text(5000, ' ');
    for (char& c : text) c = alphabet[random() % std::strlen(alphabet)];
    inputs.push_back(text);
  }
  // Pairs that run as one scan (no find shares a byte with another find or
  // an earlier replacement): one to four finds, short and long ones,
  // growing, shrinking and (last) removing.
  using Pairs = std::vector<ReplaceChain::Pair>;
  const Pairs pair_sets[] = {
      {{"\r\n", "\n"}},
      {{"ab", "xyz"}, {"\xC3\xA9", "e"}},
      {{"\r\n", "<BR>"}, {"ab", "AB"}, {"\xC3\xA9", "e"}, {"xxxxxxxxxxxx", "y"}},
      {{"\xC3\xA9", std::string(100, 'E')}, {"x", ""}},
  };
  OnEveryTarget([&](const std::string& target) {
    for (const std::string& input : inputs) {
      for (const Pairs& pairs : pair_sets) {
        // The output buffer of the default size, and one of 100 bytes that
        // fills at almost every match.
        for (const std::size_t room : {std::size_t{0}, std::size_t{100}}) {
          const auto replace = [&] {
            std::string out;
            ReplaceChain chain(pairs, [&](std::string_view bytes) { out += bytes; }, room);
            chain.Feed(input, /*last=*/true);
            return std::make_pair(out, chain.Matches());
          };
          ASSERT_EQ(replace(), Portable(replace))
              << target << ", size " << input.size() << ", pairs " << pairs.size()
              << ", room " << room;
        }
      }
    }
  });
}

TEST(VectorKernelsTest, CodecAgreesWithThePortableLoops) {
  // 16-bit units of every width: ASCII, two and three UTF-8 bytes, pairs,
  // and lone surrogates in some inputs.
  const std::u16string units[] = {u"a",      u"\r\n",   u"\u007F", u"\u0080",
                                  u"\u00E9", u"\u07FF", u"\u0800", u"\u20AC",
                                  u"\uFFFF", u"\U0001F600"};
  const std::u16string lone[] = {std::u16string(1, char16_t(0xD800)),
                                 std::u16string(1, char16_t(0xDC00))};
  std::mt19937 random(21);
  std::vector<std::u16string> texts;
  // Every size up to three vectors of the widest target, and some that
  // hold several blocks of four of them.
  std::vector<std::size_t> sizes(kLongest + 1);
  std::iota(sizes.begin(), sizes.end(), 0);
  sizes.insert(sizes.end(), {511, 512, 513, 1000});
  for (const std::size_t size : sizes) {
    for (int round = 0; round < 7; ++round) {
      std::u16string text;
      // Mostly ASCII, mostly two-byte or (last) mostly three-byte units, so
      // that whole vectors of them occur, and now and then a wider unit.
      const std::size_t widest = round < 2 ? 1 : round < 4 ? 6 : std::size(units);
      const std::u16string& most = units[round == 6 ? 7 : round % 2 == 0 ? 0 : 4];
      while (text.size() < size) {
        text += random() % 8 == 0 ? units[random() % widest] : most;
      }
      text.resize(size);  // may cut a pair: a lone high surrogate at the end
      if (round == 5 && size > 0) text[random() % size] = lone[random() % 2][0];
      texts.push_back(text);
    }
  }
  const std::vector<std::string> inputs = ByteInputs();
  OnEveryTarget([&](const std::string& target) {
    for (const std::u16string& text : texts) {
      for (const bool big_endian : {false, true}) {
        std::string bytes;
        for (const char16_t u : text) {
          const char high = static_cast<char>(u >> 8), low = static_cast<char>(u & 0xFF);
          bytes += big_endian ? high : low;
          bytes += big_endian ? low : high;
        }
        std::string expected, actual;
        const bool expected_ok = Portable([&] {
          return TranscodeUtf16ToUtf8(bytes, big_endian, expected);
        });
        ASSERT_EQ(TranscodeUtf16ToUtf8(bytes, big_endian, actual), expected_ok)
            << target << ", size " << text.size();
        if (expected_ok) {
          ASSERT_EQ(actual, expected) << target << ", size " << text.size();
        }
      }
    }
    for (const std::string& input : inputs) {
      ASSERT_EQ(DecodeUtf8(input), Portable([&] { return DecodeUtf8(input); }))
          << target << ", size " << input.size();
      ASSERT_EQ(IsValidUtf8(input), Portable([&] { return IsValidUtf8(input); }))
          << target << ", size " << input.size();
      const std::string ascii_then = std::string(input.size(), 'a') + input;
      ASSERT_EQ(DecodeUtf8(ascii_then), Portable([&] { return DecodeUtf8(ascii_then); }))
          << target << ", size " << ascii_then.size();
      ASSERT_EQ(IsValidUtf8(ascii_then), Portable([&] { return IsValidUtf8(ascii_then); }))
          << target << ", size " << ascii_then.size();
    }
  });
}

}  // namespace
}  // namespace tarnwick
