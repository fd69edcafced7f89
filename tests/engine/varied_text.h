// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// Byte strings for the tests that compare the operations on bytes with the
// 16-bit character model: words, runs of spaces, every kind of line end,
// accented letters, and invalid UTF-8 of every kind.
#ifndef TARNWICK_TESTS_ENGINE_VARIED_TEXT_H_
#define TARNWICK_TESTS_ENGINE_VARIED_TEXT_H_

#include <random>
#include <string>

namespace tarnwick::testing {

enum class Validity { kValidUtf8, kAnyBytes };

// About `pieces` fragments chosen at random; with kAnyBytes some fragments
// are invalid UTF-8 or plain random bytes.
std::string VariedBytes(std::mt19937& random, int pieces, Validity validity);

}  // namespace tarnwick::testing

#endif  // TARNWICK_TESTS_ENGINE_VARIED_TEXT_H_
