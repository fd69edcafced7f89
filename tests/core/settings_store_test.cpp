// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/settings_store.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace tarnwick {
namespace {

TEST(SettingsConversion, WholeNumbersInRange) {
  const struct {
    const char* text;
    std::int32_t value;
  } cases[] = {
      {"0", 0},         {"11", 11},         {"-1", -1},         {"+5", 5},
      {" 7 ", 7},       {"\t8\t", 8},       {"0007", 7},        {"-0", 0},
      {"32767", 32767}, {"-32768", -32768},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(ToInt16(c.text), c.value);
    EXPECT_EQ(ToInt32(c.text), c.value);
  }
  EXPECT_EQ(ToInt32("2147483647"), 2147483647);
  EXPECT_EQ(ToInt32("-2147483648"), -2147483647 - 1);
  EXPECT_EQ(ToInt32("00000000000000000001"), 1);
}

TEST(SettingsConversion, TextThatIsNoWholeNumberFailsWithItsText) {
  for (const char* text : {"", " ", "abc", "1.5", "1e3", "12abc", "--1", "- 1",
                           "1 2", "+", "0x10", "\xC2\xB9"}) {
    SCOPED_TRACE(text);
    try {
      ToInt32(text);
      ADD_FAILURE() << "no failure";
    } catch (const std::invalid_argument& e) {
      EXPECT_NE(std::string(e.what()).find("\"" + std::string(text) + "\""),
                std::string::npos)
          << e.what();
    }
    EXPECT_THROW(ToInt16(text), std::invalid_argument);
  }
}

TEST(SettingsConversion, NumbersOutOfRangeOverflow) {
  for (const char* text : {"32768", "-32769", "100000"}) {
    SCOPED_TRACE(text);
    EXPECT_THROW(ToInt16(text), std::out_of_range);
    EXPECT_NO_THROW(ToInt32(text));
  }
  for (const char* text : {"2147483648", "-2147483649", "99999999999999999999999"}) {
    SCOPED_TRACE(text);
    EXPECT_THROW(ToInt32(text), std::out_of_range);
    EXPECT_THROW(ToInt16(text), std::out_of_range);
  }
  try {
    ToInt16("40000");
  } catch (const std::out_of_range& e) {
    EXPECT_STREQ(e.what(), "Overflow: \"40000\" is outside -32768 to 32767");
  }
}

}  // namespace
}  // namespace tarnwick
