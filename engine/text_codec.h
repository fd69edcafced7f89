// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// The character model of text files: how bytes become 16-bit text and back.
//
// 8-bit text is UTF-8, decoded strictly (no overlong forms, no encoded
// surrogates, nothing above U+10FFFF). Every byte that is not part of a valid
// sequence becomes the lone code unit U+DC00 plus that byte (only bytes 80..FF
// can be invalid, so these "byte escapes" are U+DC80..U+DCFF). Encoding writes
// UTF-8, an escape as its byte, and any other lone surrogate as "?".
// EncodeUtf8(DecodeUtf8(bytes)) == bytes for every byte string.
//
// 16-bit text is UTF-16 in either byte order, read unit by unit; a last odd
// byte becomes its byte escape.
#ifndef TARNWICK_ENGINE_TEXT_CODEC_H_
#define TARNWICK_ENGINE_TEXT_CODEC_H_

#include <string>
#include <string_view>

namespace tarnwick {

enum class ByteOrderMark {
  kNone,                 // 8-bit text
  kUtf16LittleEndian,    // FF FE
  kUtf16BigEndian,       // FE FF
};

// Looks at the first two bytes only.
ByteOrderMark DetectByteOrderMark(std::string_view bytes) noexcept;

std::u16string DecodeUtf8(std::string_view bytes);
std::string EncodeUtf8(std::u16string_view text);

// Decodes every byte pair, the mark included (it becomes U+FEFF).
std::u16string DecodeUtf16(std::string_view bytes, bool big_endian);

// EncodeUtf8(DecodeUtf16(bytes, big_endian)) into utf8, in one pass, when
// that text is well-formed; returns false (utf8 then unspecified) when it
// holds a lone surrogate or the bytes end in an odd byte.
bool TranscodeUtf16ToUtf8(std::string_view bytes, bool big_endian,
                          std::string& utf8);

// True when the bytes are valid UTF-8 throughout (decoding makes no escape).
bool IsValidUtf8(std::string_view bytes) noexcept;

// True when every surrogate of the text is part of a high-low pair (so the
// text holds no byte escape either).
bool IsWellFormedUtf16(std::u16string_view text) noexcept;

}  // namespace tarnwick

#endif  // TARNWICK_ENGINE_TEXT_CODEC_H_
