// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// The preview of one file: which operation the chooser names, and the
// changed lines as the window shows them.
#include "batch/preview.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>

#include "files/replacement_journal.h"
#include "files/run_ledger.h"
#include "tests/support/counting_journal.h"
#include "tests/support/temp_dir.h"

namespace tarnwick {
namespace {

// Found as the run finds it: the first key anywhere in the text, any case.
TEST(ChosenOperationTest, TheFirstKeyTheTextHoldsDecides) {
  struct Case {
    const char* chooser;
    OperationKind kind;
    const char* key;  // nullptr: none, the file is only copied
  };
  const Case cases[] = {
      {"Remove all tabs in text file(s)", OperationKind::kFixed, "tabs"},
      {"REMOVE ALL TABS", OperationKind::kFixed, "tabs"},
      {"Remove x (user-specified) character(s) in text file(s)",
       OperationKind::kRemoveText, nullptr},
      {"Find and replace x (user-specified) character(s) in text file(s)",
       OperationKind::kFindAndReplace, nullptr},
      {"-", OperationKind::kFixed, nullptr},
      {"", OperationKind::kFixed, nullptr},
  };
  for (const Case& c : cases) {
    const OperationKey* key = ChosenOperation(c.chooser);
    const bool copied_only = c.key == nullptr && c.kind == OperationKind::kFixed;
    if (copied_only) {
      EXPECT_EQ(key, nullptr) << c.chooser;
      continue;
    }
    ASSERT_NE(key, nullptr) << c.chooser;
    EXPECT_EQ(key->kind, c.kind) << c.chooser;
    if (c.key != nullptr) {
      EXPECT_NE(key->key.find(c.key), std::string_view::npos) << c.chooser;
    }
  }
}

// A preview made while a run is open (the window's list menu during a
// window run) is no part of that run.
TEST(PreviewOperationTest, RecordsNothingInTheRunOpenMeanwhile) {
  testing::TempDir dir;
  const std::string source = dir.Write("a.txt", "a\tb\n");
  testing::CountingJournal journal;
  RunLedger ledger;
  ledger.SetJournal(&journal);
  const OperationKey* tabs = ChosenOperation("Remove all tabs in text file(s)");
  ASSERT_NE(tabs, nullptr);
  const Preview preview =
      PreviewOperation(source, tabs->operation, {}, kPreviewPairs);
  EXPECT_EQ(preview.changes, 1u);
  EXPECT_EQ(journal.told, 0);
  EXPECT_TRUE(ledger.written().empty());
}

TEST(PreviewPairsTextTest, NamesEachLineAndTheSideWithoutOne) {
  ChangedLines lines;
  lines.pairs = {{ShownLine{2, u"a\tb", 3}, ShownLine{2, u"ab", 2}},
                 {ShownLine{5, u"", 0}, std::nullopt},
                 {std::nullopt, ShownLine{7, u"new", 3}},
                 {ShownLine{9, u"x", 1}, ShownLine{8, std::u16string(3, u'y'), 4000}}};
  lines.total = 6;
  EXPECT_EQ(PreviewPairsText(lines),
            "@@ line 2 @@\n-a\tb\n+ab\n"
            "@@ line 5, removed @@\n-\n+(no line)\n"
            "@@ new line 7 @@\n-(no line)\n+new\n"
            "@@ line 9, now line 8 @@\n-x\n+yyy [... 4000 characters in all]\n"
            "... 2 more changed line(s) not shown (6 in all)\n");
}

}  // namespace
}  // namespace tarnwick
