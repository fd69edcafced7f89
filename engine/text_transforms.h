// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// The transformations behind the text operations, on a string of code units
// in place. Each is provided for 16-bit text (char16_t) and for the bytes of
// 8-bit text (char); text_operations.cpp explains when working on the bytes
// gives exactly the bytes of the 16-bit character model.
#ifndef TARNWICK_ENGINE_TEXT_TRANSFORMS_H_
#define TARNWICK_ENGINE_TEXT_TRANSFORMS_H_

#include <array>
#include <string>
#include <string_view>

namespace tarnwick {

// A set of ASCII characters; no code unit of 128 or above is a member.
class AsciiSet {
 public:
  constexpr explicit AsciiSet(std::string_view members) {
    for (char c : members) members_[static_cast<unsigned char>(c) & 0x7F] = true;
  }
  constexpr bool Contains(char32_t c) const { return c < 128 && members_[c]; }

 private:
  std::array<bool, 128> members_{};
};

// Drops every unit in the set (keep == false) or every unit not in it
// (keep == true). The units that stay keep their order.
template <class CharT>
void DeleteCharacters(std::basic_string<CharT>& text, const AsciiSet& set,
                      bool keep);

// Replaces every run of two or more spaces (U+0020) by one space. With
// follows_space, the text continues one that ended with a space (a file
// edited piece by piece), so a space at its start goes too.
template <class CharT>
void SqueezeSpaces(std::basic_string<CharT>& text, bool follows_space = false);

// Line ends are CR LF and LF (a lone CR is not one). Of every run of line
// ends with nothing between them, only the first stays: each empty line goes
// with the line end that closes it. The first line, even when empty, stays,
// unless follows_line_end says that the text continues one that ended with a
// line end (a file edited piece by piece).
template <class CharT>
void RemoveEmptyLines(std::basic_string<CharT>& text,
                      bool follows_line_end = false);

// Replaces every occurrence of find by replacement in one left-to-right pass
// without overlap; inserted text is not scanned again. An empty find changes
// nothing. Returns the number of replacements.
template <class CharT>
std::size_t ReplaceAll(std::basic_string<CharT>& text,
                       std::basic_string_view<CharT> find,
                       std::basic_string_view<CharT> replacement);

}  // namespace tarnwick

#endif  // TARNWICK_ENGINE_TEXT_TRANSFORMS_H_
