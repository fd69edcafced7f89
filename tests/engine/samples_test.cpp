// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// The sample files say what the operations do to them: what a sample's
// text promises holds when the operation runs on it.
#include <gtest/gtest.h>

#include <string>

#include "engine/text_operations.h"
#include "tests/support/temp_dir.h"

namespace tarnwick {
namespace {

using testing::ReadAll;
using testing::TempDir;

std::string Sample(const std::string& name) {
  return ReadAll(std::string(TARNWICK_SAMPLES_DIR) + "/" + name);
}

TEST(SamplesTest, AccentedLettersStayWhenLettersAreRemoved) {
  const std::string text = Sample("accented-utf8.txt");
  const std::string promise = "letters with accents stay: \xC3\xA9 \xC3\xA8 \xC3\xAA \xC3\xAB.";
  ASSERT_NE(text.find(promise), std::string::npos) << text;
  TempDir dir;
  const std::string copy = dir.Write("accented-utf8.txt", text);
  RemoveAlphabet(copy);
  const std::string after = ReadAll(copy);
  EXPECT_NE(after.find("\xC3\xA9 \xC3\xA8 \xC3\xAA \xC3\xAB."), std::string::npos) << after;
  EXPECT_NE(after.find("1 2 3"), std::string::npos) << after;
  EXPECT_EQ(after.find_first_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"),
            std::string::npos)
      << after;
}

}  // namespace
}  // namespace tarnwick
