// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "filelist/wildcard.h"

#include <gtest/gtest.h>

namespace tarnwick {
namespace {

struct WildcardCase {
  const char* pattern;
  const char* name;
  bool matches;
};

TEST(WildcardTest, FollowsTheDirectorySearchRules) {
  const WildcardCase cases[] = {
      // "*.*" and "*" take every name, with or without a dot.
      {"*.*", "a.txt", true},
      {"*.*", "README", true},
      {"*.*", ".hidden", true},
      {"*", "no-dot", true},
      {"*", "a.b.c", true},
      // An extension pattern.
      {"*.txt", "a.txt", true},
      {"*.txt", "A.TXT", true},
      {"*.TxT", "notes.txt", true},
      {"*.txt", "a.txt.bak", false},
      {"*.txt", "atxt", false},
      {"*.txt", "a.txta", false},  // no short names
      {"*.txt", ".txt", true},
      {"*.doc", "a.txt", false},
      // Typed as is: a leading dot and several extensions stay literal.
      {"*..txt", "a..txt", true},
      {"*..txt", "a.txt", false},
      {"*.txt doc", "a.txt doc", true},
      // "?" is exactly one character, also a multi-byte one.
      {"?.txt", "a.txt", true},
      {"?.txt", "ab.txt", false},
      {"?.txt", ".txt", false},
      {"?.txt", "é.txt", true},
      {"a?c", "abc", true},
      // A trailing ".*" also matches the name without the dot.
      {"a.*", "a", true},
      {"a.*", "a.b", true},
      {"a.*", "ab", false},
      // Letters of other scripts compare without regard to case too.
      {"*.ÄÖ", "x.äö", true},
      {"ΣΩ*", "σωμα", true},
      {"*.ЖЯ", "файл.жя", true},
      {"*.é", "x.e", false},
      // Stars anywhere, back-tracking.
      {"a*b*c", "aXbYbZc", true},
      {"a*b*c", "aXbYbZ", false},
      {"*a", "banana", true},
      {"**", "", true},
  };
  for (const WildcardCase& c : cases) {
    EXPECT_EQ(MatchesWildcard(c.pattern, c.name), c.matches)
        << "pattern " << c.pattern << " name " << c.name;
  }
}

TEST(WildcardTest, KnowsPatternsThatTakeEveryName) {
  EXPECT_TRUE(WildcardPattern("*").MatchesEverything());
  EXPECT_TRUE(WildcardPattern("*.*").MatchesEverything());
  EXPECT_FALSE(WildcardPattern("*.txt").MatchesEverything());
  EXPECT_FALSE(WildcardPattern("?").MatchesEverything());
}

}  // namespace
}  // namespace tarnwick
