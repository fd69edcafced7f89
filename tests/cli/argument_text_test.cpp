// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/argument_text.h"

#include <gtest/gtest.h>

#include <string>

#include "dialogs/dialog_logic.h"

namespace tarnwick::cli {
namespace {

struct TextCase {
  std::string argument;
  std::u16string expected;
  std::size_t lines;
};

TEST(DialogTextTest, LineEndsMarkersAndBytes) {
  const TextCase cases[] = {
      {"", u"", 0},
      {"abc", u"abc", 1},
      {"a\nb", u"a\r\nb", 2},
      {"a\r\nb", u"a\r\nb", 2},
      {"a\n", u"a\r\n", 2},
      {"\n", u"\r\n", 2},
      {"a\r\n\nb", u"a\r\n\r\nb", 3},
      {"a\rb", u"a\rb", 1},      // a lone CR is kept and does not split
      {"a\r", u"a\r", 1},
      {"a\r\r\nb", u"a\r\r\nb", 2},
      {"a<tab>b", u"a\tb", 1},
      {"<tab><tab>", u"\t\t", 1},
      {"<<tab>>", u"<\t>", 1},
      {"<TAB><Tab>", u"<TAB><Tab>", 1},
      {"<tab\n>", u"<tab\r\n>", 2},
      {"x<tab>\ny", u"x\t\r\ny", 2},
      {"caf\xc3\xa9", u"caf\u00e9", 1},
      {"\xf0\x9f\x98\x80", u"\U0001F600", 1},
      {"a\xff" "b", std::u16string(u"a") + char16_t(0xDCFF) + u"b", 1},
      {"\xc3", std::u16string(1, char16_t(0xDCC3)), 1},
  };
  for (const TextCase& c : cases) {
    const std::u16string text = DialogText(c.argument);
    EXPECT_EQ(text, c.expected) << "argument: " << c.argument;
    EXPECT_EQ(CountLines(text), c.lines) << "argument: " << c.argument;
  }
}

}  // namespace
}  // namespace tarnwick::cli
