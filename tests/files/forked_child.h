// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// Runs part of a test in a forked child process, for cases that must change
// the process itself: run as an unprivileged user, or mount a small file
// system in a mount namespace of its own. The child's EXPECT_* failures are
// printed by the child and fail the parent's test.
#ifndef TARNWICK_TESTS_BATCH_FORKED_CHILD_H_
#define TARNWICK_TESTS_BATCH_FORKED_CHILD_H_

#include <gtest/gtest.h>

#include <cstddef>
#include <functional>
#include <string>

namespace tarnwick::testing {

// Thrown inside the child when the system does not allow the set-up.
struct ChildSkip {
  std::string why;
};

struct ChildOutcome {
  bool skipped = false;
  bool passed = false;
  std::string message;
};

ChildOutcome RunInChild(const std::function<void()>& body);

// In the child: become the user and group 65534. Throws ChildSkip.
void BecomeUnprivilegedUser();
// In the child: mount a file system of the given size at folder, private to
// the child. Throws ChildSkip.
void MountSmallFileSystem(const std::string& folder, std::size_t bytes);

}  // namespace tarnwick::testing

// Runs body in a child; skips the test with the child's reason, or fails it
// when the child's checks failed.
#define TARNWICK_IN_CHILD(body)                                        \
  do {                                                                 \
    const auto outcome_ = ::tarnwick::testing::RunInChild(body);       \
    if (outcome_.skipped) GTEST_SKIP() << outcome_.message;            \
    EXPECT_TRUE(outcome_.passed) << outcome_.message;                  \
  } while (false)

#endif  // TARNWICK_TESTS_BATCH_FORKED_CHILD_H_
