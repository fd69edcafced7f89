// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// Runs a piece of work in a child process whose address space is bounded,
// for tests that check that memory does not grow with the size of a file.
#ifndef TARNWICK_TESTS_SUPPORT_LIMITED_CHILD_H_
#define TARNWICK_TESTS_SUPPORT_LIMITED_CHILD_H_

#include <cstddef>
#include <functional>

namespace tarnwick::testing {

// True in a build with AddressSanitizer, which reserves terabytes of
// address space: bounded-memory tests skip there.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool kAddressSanitizer = true;
#else
inline constexpr bool kAddressSanitizer = false;
#endif
#else
inline constexpr bool kAddressSanitizer = false;
#endif

// Runs work in a child limited to `extra` bytes of address space beyond
// what it has at the start; returns the child's exit code (work's result,
// 100 for an exception, 101 for a lack of memory, 200 + N when signal N
// ended it).
int RunLimited(std::size_t extra, const std::function<int()>& work);

}  // namespace tarnwick::testing

#endif  // TARNWICK_TESTS_SUPPORT_LIMITED_CHILD_H_
