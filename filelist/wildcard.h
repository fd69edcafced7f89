// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// File-name patterns with the rules of the Windows directory search, which
// the folder scan keeps: "*" matches any run of characters (also none), "?"
// exactly one character, letters match without regard to case, and a
// pattern ending in ".*" also matches the name without that dot, so "*.*"
// matches every name, with or without a dot. There are no short (8.3) names:
// "*.txt" does not match "a.txta".
#ifndef TARNWICK_FILELIST_WILDCARD_H_
#define TARNWICK_FILELIST_WILDCARD_H_

#include <string>
#include <string_view>

namespace tarnwick {

// A pattern prepared once for matching many names.
class WildcardPattern {
 public:
  explicit WildcardPattern(std::string_view pattern);

  bool Matches(std::string_view name) const;
  // True when every name matches ("*", "*.*", "**").
  bool MatchesEverything() const { return everything_; }

 private:
  std::u32string folded_;        // the pattern, upper-cased
  std::u32string without_dot_;   // for a trailing ".*": the pattern without it
  bool has_trailing_dot_star_ = false;
  bool everything_ = false;
};

// One-off form of WildcardPattern(pattern).Matches(name).
bool MatchesWildcard(std::string_view pattern, std::string_view name);

}  // namespace tarnwick

#endif  // TARNWICK_FILELIST_WILDCARD_H_
