// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later
// A journal of replacements that only counts what it is told, for tests
// that check what a write tells the run's journal.
#ifndef TARNWICK_TESTS_SUPPORT_COUNTING_JOURNAL_H_
#define TARNWICK_TESTS_SUPPORT_COUNTING_JOURNAL_H_

#include <string>

#include "files/replacement_journal.h"

namespace tarnwick::testing {

class CountingJournal : public ReplacementJournal {
 public:
  KeepResult BeforeReplace(const std::string&, const struct stat&,
                           const FileIdentity&) override {
    ++told;
    return {};
  }
  KeepResult BeforeCreate(const std::string&, const FileIdentity&) override {
    ++told;
    return {};
  }
  int told = 0;
};

}  // namespace tarnwick::testing

#endif  // TARNWICK_TESTS_SUPPORT_COUNTING_JOURNAL_H_
