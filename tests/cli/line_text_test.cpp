// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/line_text.h"

#include <gtest/gtest.h>

#include <string>

namespace tarnwick::cli {
namespace {

TEST(EscapeForLineTest, ControlCharactersAndBackslashesAreEscapedAsInC) {
  const struct {
    std::string text;
    std::string line;
  } cases[] = {
      {"plain name.txt", "plain name.txt"},
      {"a\tb", "a\\tb"},
      {"a\nb\r", "a\\nb\\r"},
      {"C:\\dir", "C:\\\\dir"},
      {"\x1b[31mred", "\\x1b[31mred"},
      {std::string("nul\0end", 7), "nul\\x00end"},
      {"del\x7f", "del\\x7f"},
      {"\x01\x1f", "\\x01\\x1f"},
      // UTF-8 is kept; its C1 controls (U+0085, U+009B) are escaped byte by
      // byte; a byte that is no UTF-8 is kept.
      {"\xc3\xa9t\xc3\xa9 \xe2\x82\xac", "\xc3\xa9t\xc3\xa9 \xe2\x82\xac"},
      {"\xc2\x85" "a\xc2\x9b", "\\xc2\\x85a\\xc2\\x9b"},
      {"\xc2\xa0\xff\xc2", "\xc2\xa0\xff\xc2"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EscapeForLine(c.text), c.line) << c.line;
  }
}

}  // namespace
}  // namespace tarnwick::cli
