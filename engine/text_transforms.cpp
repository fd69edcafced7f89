// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "engine/text_transforms.h"

#include "engine/byte_compaction.h"
#include "engine/byte_search.h"

namespace tarnwick {
namespace {

template <class CharT>
using Traits = std::char_traits<CharT>;

template <class CharT>
unsigned Unit(CharT c) {
  if constexpr (sizeof(CharT) == 1) {
    return static_cast<unsigned char>(c);
  } else {
    return static_cast<unsigned>(c);
  }
}

// The position of the first occurrence of needle in haystack at or after
// from, or npos.
std::size_t FindFrom(std::string_view haystack, std::size_t from,
                     std::string_view needle) {
  return FindBytes(haystack, from, needle);
}

std::size_t FindFrom(std::u16string_view haystack, std::size_t from,
                     std::u16string_view needle) {
  return haystack.find(needle, from);
}

}  // namespace

template <class CharT>
void DeleteCharacters(std::basic_string<CharT>& text, const AsciiSet& set,
                      bool keep) {
  // stays[u] is 1 when unit u is kept; units past the table are not ASCII.
  constexpr std::size_t kTable = sizeof(CharT) == 1 ? 256 : 128;
  unsigned char stays[kTable];
  for (std::size_t u = 0; u < kTable; ++u) stays[u] = set.Contains(static_cast<char32_t>(u)) == keep;
  const unsigned char non_ascii_stays = keep ? 0 : 1;

  if constexpr (sizeof(CharT) == 1) {
    std::array<bool, 256> table{};
    for (std::size_t u = 0; u < 256; ++u) table[u] = stays[u] != 0;
    text.resize(CompactBytes(text.data(), text.size(), table));
  } else {
    CharT* p = text.data();
    const std::size_t size = text.size();
    std::size_t kept = 0;
    for (std::size_t i = 0; i < size; ++i) {
      const CharT c = p[i];
      p[kept] = c;
      kept += Unit(c) < kTable ? stays[Unit(c)] : non_ascii_stays;
    }
    text.resize(kept);
  }
}

template <class CharT>
void SqueezeSpaces(std::basic_string<CharT>& text, bool follows_space) {
  if constexpr (sizeof(CharT) == 1) {
    text.resize(SqueezeSpaceBytes(text.data(), text.size(), follows_space));
    return;
  }
  CharT* p = text.data();
  const std::size_t size = text.size();
  std::size_t kept = 0;
  bool after_space = follows_space;
  for (std::size_t i = 0; i < size; ++i) {
    const CharT c = p[i];
    const bool space = c == CharT(' ');
    p[kept] = c;
    kept += !(space && after_space);
    after_space = space;
  }
  text.resize(kept);
}

template <class CharT>
void RemoveEmptyLines(std::basic_string<CharT>& text, bool follows_line_end) {
  if constexpr (sizeof(CharT) == 1) {
    text.resize(RemoveEmptyLineBytes(text.data(), text.size(), follows_line_end));
    return;
  }
  CharT* p = text.data();
  const std::size_t size = text.size();
  std::size_t kept = 0;        // units written so far
  std::size_t line_start = 0;  // where the current line begins (read side)
  std::size_t copied = 0;      // read position up to which all is handled
  bool after_line_end = follows_line_end;  // a line end stands before line_start
  while (line_start < size) {
    const CharT* lf = Traits<CharT>::find(p + line_start, size - line_start,
                                          CharT('\n'));
    if (lf == nullptr) break;
    const std::size_t lf_at = static_cast<std::size_t>(lf - p);
    const std::size_t end_at =
        lf_at > line_start && p[lf_at - 1] == CharT('\r') ? lf_at - 1 : lf_at;
    if (after_line_end && end_at == line_start) {
      // An empty line: drop its closing line end [end_at, lf_at].
      const std::size_t length = end_at - copied;
      if (kept != copied) Traits<CharT>::move(p + kept, p + copied, length);
      kept += length;
      copied = lf_at + 1;
    }
    after_line_end = true;
    line_start = lf_at + 1;
  }
  const std::size_t rest = size - copied;
  if (kept != copied) Traits<CharT>::move(p + kept, p + copied, rest);
  text.resize(kept + rest);
}

template <class CharT>
std::size_t ReplaceAll(std::basic_string<CharT>& text,
                       std::basic_string_view<CharT> find,
                       std::basic_string_view<CharT> replacement) {
  if (find.empty()) return 0;
  const std::basic_string_view<CharT> view(text);
  constexpr auto npos = std::basic_string_view<CharT>::npos;
  std::size_t count = 0;
  if (replacement.size() <= find.size()) {
    // The text never grows: rewrite it in place, writing behind reading.
    CharT* p = text.data();
    std::size_t read = 0;
    std::size_t write = 0;
    for (std::size_t hit; (hit = FindFrom(view, read, find)) != npos; ++count) {
      if (write != read) Traits<CharT>::move(p + write, p + read, hit - read);
      write += hit - read;
      Traits<CharT>::copy(p + write, replacement.data(), replacement.size());
      write += replacement.size();
      read = hit + find.size();
    }
    if (count == 0) return 0;
    Traits<CharT>::move(p + write, p + read, text.size() - read);
    text.resize(write + text.size() - read);
    return count;
  }
  // The text grows: count first so that the result is allocated once.
  for (std::size_t at = 0; (at = FindFrom(view, at, find)) != npos; ++count) {
    at += find.size();
  }
  if (count == 0) return 0;
  std::basic_string<CharT> result(
      text.size() + count * (replacement.size() - find.size()), CharT());
  CharT* out = result.data();
  std::size_t read = 0;
  for (std::size_t hit; (hit = FindFrom(view, read, find)) != npos;) {
    out = Traits<CharT>::copy(out, view.data() + read, hit - read) + (hit - read);
    out = Traits<CharT>::copy(out, replacement.data(), replacement.size()) +
          replacement.size();
    read = hit + find.size();
  }
  Traits<CharT>::copy(out, view.data() + read, view.size() - read);
  text.swap(result);
  return count;
}

template void DeleteCharacters(std::string&, const AsciiSet&, bool);
template void DeleteCharacters(std::u16string&, const AsciiSet&, bool);
template void SqueezeSpaces(std::string&, bool);
template void SqueezeSpaces(std::u16string&, bool);
template void RemoveEmptyLines(std::string&, bool);
template void RemoveEmptyLines(std::u16string&, bool);
template std::size_t ReplaceAll(std::string&, std::string_view,
                                std::string_view);
template std::size_t ReplaceAll(std::u16string&, std::u16string_view,
                                std::u16string_view);

}  // namespace tarnwick
