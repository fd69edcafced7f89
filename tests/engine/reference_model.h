// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// Plain restatements of the text operations on 16-bit text, written for
// clarity rather than speed; the tests compare the real operations with
// them.
#ifndef TARNWICK_TESTS_ENGINE_REFERENCE_MODEL_H_
#define TARNWICK_TESTS_ENGINE_REFERENCE_MODEL_H_

#include <string>
#include <string_view>

namespace tarnwick::testing {

std::u16string ReferenceDelete(std::u16string_view text, std::u16string_view set,
                               bool keep);
std::u16string ReferenceSqueeze(std::u16string_view text);
std::u16string ReferenceEmptyLines(std::u16string_view text);
std::u16string ReferenceReplace(std::u16string_view text, std::u16string_view find,
                                std::u16string_view replacement);

// The text of a file as the operations see it: 16-bit text after a
// byte-order mark (the mark kept), UTF-8 with byte escapes otherwise.
std::u16string ReferenceReadText(const std::string& path);

inline constexpr std::u16string_view kReferenceLetters =
    u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
inline constexpr std::u16string_view kReferenceDigits = u"0123456789";
inline constexpr std::u16string_view kReferenceKeepSet =
    u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789 \r\n\t";

}  // namespace tarnwick::testing

#endif  // TARNWICK_TESTS_ENGINE_REFERENCE_MODEL_H_
