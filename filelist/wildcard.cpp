// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "filelist/wildcard.h"

#include "filelist/name_characters.h"

namespace tarnwick {

namespace {

// Classic "*"/"?" matching with one back-tracking point: linear in practice,
// at worst pattern length times name length.
bool MatchFolded(std::u32string_view pattern, std::u32string_view name) {
  std::size_t p = 0;
  std::size_t n = 0;
  std::size_t star = std::u32string_view::npos;
  std::size_t star_name = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == U'?' || pattern[p] == name[n])) {
      ++p;
      ++n;
    } else if (p < pattern.size() && pattern[p] == U'*') {
      star = p++;
      star_name = n;
    } else if (star != std::u32string_view::npos) {
      p = star + 1;
      n = ++star_name;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == U'*') ++p;
  return p == pattern.size();
}

}  // namespace

WildcardPattern::WildcardPattern(std::string_view pattern)
    : folded_(FoldedName(pattern)) {
  const std::u32string_view view = folded_;
  if (view.size() >= 2 && view.substr(view.size() - 2) == U".*") {
    has_trailing_dot_star_ = true;
    without_dot_ = folded_.substr(0, folded_.size() - 2);
  }
  const auto only_stars = [](std::u32string_view text) {
    return !text.empty() && text.find_first_not_of(U'*') == std::u32string_view::npos;
  };
  everything_ = only_stars(view) ||
                (has_trailing_dot_star_ && only_stars(without_dot_));
}

bool WildcardPattern::Matches(std::string_view name) const {
  if (everything_) return true;
  const std::u32string folded_name = FoldedName(name);
  if (MatchFolded(folded_, folded_name)) return true;
  return has_trailing_dot_star_ && MatchFolded(without_dot_, folded_name);
}

bool MatchesWildcard(std::string_view pattern, std::string_view name) {
  return WildcardPattern(pattern).Matches(name);
}

}  // namespace tarnwick
