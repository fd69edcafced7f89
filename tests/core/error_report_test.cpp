// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/error_report.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "core/routine_identities.h"
#include "tests/support/recording_reporter.h"

namespace tarnwick {
namespace {

TEST(ErrorReportText, HasTheFixedShape) {
  const std::string text =
      BuildErrorReport("File not found", routines::kMainLoad, 158);
  EXPECT_EQ(text,
            "File not found\r\nin Quelbrook2021/08/31.Form1.Form_Load at line 158"
            "\r\rPlease email screenshot of this message to "
            "support@merriveld.example");
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\r'), 3);
}

TEST(Trap, ReportsAFailingStepAndGoesOn) {
  testing::RecordingReporter reporter;
  Trap trap(reporter, routines::kHelp);
  std::vector<int> ran;
  trap.Run(100, [&] { throw std::runtime_error("first"); });
  trap.Run(102, [&] { throw std::runtime_error("second"); });
  trap.Run(104, [&] { ran.push_back(104); });
  ASSERT_EQ(reporter.reports().size(), 2u);
  EXPECT_EQ(reporter.lines(), (std::vector<int>{100, 102}));
  EXPECT_EQ(reporter.reports()[0].rfind("first\r\nin " + std::string(routines::kHelp), 0), 0u);
  EXPECT_EQ(ran, std::vector<int>{104});
}

TEST(Trap, AFailureInACalledRoutineNamesTheCallersLine) {
  testing::RecordingReporter reporter;
  Trap trap(reporter, routines::kStartRemoving);
  auto untrapped = [] { throw std::invalid_argument("deep"); };
  EXPECT_FALSE(trap.Run(130, [&] { untrapped(); }));
  EXPECT_EQ(reporter.lines(), std::vector<int>{130});
}

TEST(Trap, ValueTryAndFailReportUnderTheirLineAndCountEveryFailure) {
  testing::RecordingReporter reporter;
  Trap trap(reporter, routines::kStartRemoving);
  auto fails = []() -> int { throw std::runtime_error("gone"); };
  EXPECT_EQ(trap.Value(108, [] { return 3; }, 0), 3);
  EXPECT_EQ(trap.Value(108, fails, -1), -1);
  EXPECT_EQ(trap.Try(116, [] { return std::string("a.txt"); }), "a.txt");
  EXPECT_EQ(trap.Try(116, fails), std::nullopt);
  EXPECT_FALSE(trap.Fail(122, "cannot copy"));
  EXPECT_EQ(reporter.lines(), (std::vector<int>{108, 116, 122}));
  EXPECT_EQ(reporter.reports()[2].rfind("cannot copy\r\nin ", 0), 0u);
  EXPECT_EQ(trap.failures(), 3);
}

}  // namespace
}  // namespace tarnwick
