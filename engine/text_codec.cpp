// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "engine/text_codec.h"

#include <bit>
#include <cstdint>
#include <cstring>

#include "engine/vector_kernels.h"
#include "engine/vector_loops.h"

namespace tarnwick {
namespace {

constexpr std::uint64_t kHighBits = 0x8080808080808080ull;

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// The length of the valid UTF-8 sequence that starts at p (with `available`
// bytes from p on), or 0 when none starts there. Strict: the second byte's
// range excludes overlong forms, surrogates and code points past U+10FFFF.
int ValidSequenceLength(const unsigned char* p, std::size_t available) {
  const unsigned char c = p[0];
  if (c < 0x80) return 1;
  if (c < 0xC2) return 0;
  if (c < 0xE0) return available >= 2 && IsContinuation(p[1]) ? 2 : 0;
  if (available < 3) return 0;
  unsigned char low = 0x80, high = 0xBF;
  if (c < 0xF0) {
    if (c == 0xE0) low = 0xA0;
    if (c == 0xED) high = 0x9F;
    return p[1] >= low && p[1] <= high && IsContinuation(p[2]) ? 3 : 0;
  }
  if (c > 0xF4 || available < 4) return 0;
  if (c == 0xF0) low = 0x90;
  if (c == 0xF4) high = 0x8F;
  return p[1] >= low && p[1] <= high && IsContinuation(p[2]) &&
                 IsContinuation(p[3])
             ? 4
             : 0;
}

std::uint64_t Load64(const void* p) {
  std::uint64_t word;
  std::memcpy(&word, p, sizeof word);
  return word;
}

bool IsHighSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLowSurrogate(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

// The vector loops of the codec take the units as little-endian lanes.
bool VectorCodec() {
  return std::endian::native == std::endian::little && UseVectorLoops();
}

// How far the portable loop goes on between two calls of a vector loop.
constexpr std::size_t kStretch = 64;

}  // namespace

ByteOrderMark DetectByteOrderMark(std::string_view bytes) noexcept {
  if (bytes.size() >= 2) {
    const auto b0 = static_cast<unsigned char>(bytes[0]);
    const auto b1 = static_cast<unsigned char>(bytes[1]);
    if (b0 == 0xFF && b1 == 0xFE) return ByteOrderMark::kUtf16LittleEndian;
    if (b0 == 0xFE && b1 == 0xFF) return ByteOrderMark::kUtf16BigEndian;
  }
  return ByteOrderMark::kNone;
}

std::u16string DecodeUtf8(std::string_view bytes) {
  // Every byte gives at most one unit (a four-byte sequence gives two).
  std::u16string text(bytes.size(), u'\0');
  const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t size = bytes.size();
  char16_t* out = text.data();
  const bool vector_loops = VectorCodec();
  std::size_t i = 0;
  std::size_t stretch_end = 0;  // where the vector loop is tried again
  while (i < size) {
    if (vector_loops && i >= stretch_end) {
      const std::size_t widened = vector::WidenAscii(in + i, size - i, out);
      out += widened;
      i += widened;
      stretch_end = i + kStretch;
      if (i >= size) break;
    }
    if (i + 8 <= size && (Load64(in + i) & kHighBits) == 0) {
      for (int k = 0; k < 8; ++k) out[k] = in[i + k];
      out += 8;
      i += 8;
      continue;
    }
    const unsigned char c = in[i];
    const int length = ValidSequenceLength(in + i, size - i);
    switch (length) {
      case 1:
        *out++ = c;
        break;
      case 2:
        *out++ = static_cast<char16_t>(((c & 0x1F) << 6) | (in[i + 1] & 0x3F));
        break;
      case 3:
        *out++ = static_cast<char16_t>(((c & 0x0F) << 12) |
                                       ((in[i + 1] & 0x3F) << 6) |
                                       (in[i + 2] & 0x3F));
        break;
      case 4: {
        const char32_t cp = ((c & 0x07u) << 18) | ((in[i + 1] & 0x3Fu) << 12) |
                            ((in[i + 2] & 0x3Fu) << 6) | (in[i + 3] & 0x3Fu);
        *out++ = static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
        *out++ = static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        break;
      }
      default:  // not part of a valid sequence: its byte escape
        *out++ = static_cast<char16_t>(0xDC00 + c);
        i += 1;
        continue;
    }
    i += static_cast<std::size_t>(length);
  }
  text.resize(static_cast<std::size_t>(out - text.data()));
  return text;
}

std::string EncodeUtf8(std::u16string_view text) {
  const std::size_t size = text.size();
  const char16_t* in = text.data();
  std::size_t length = 0;
  for (std::size_t i = 0; i < size; ++i) {
    const char16_t u = in[i];
    if (u < 0x80) {
      length += 1;
    } else if (u < 0x800) {
      length += 2;
    } else if (IsHighSurrogate(u) && i + 1 < size && IsLowSurrogate(in[i + 1])) {
      length += 4;
      ++i;
    } else if (IsHighSurrogate(u) || IsLowSurrogate(u)) {
      length += 1;  // its byte, or "?"
    } else {
      length += 3;
    }
  }
  std::string bytes(length, '\0');
  auto* out = reinterpret_cast<unsigned char*>(bytes.data());
  for (std::size_t i = 0; i < size; ++i) {
    const char16_t u = in[i];
    if (u < 0x80) {
      *out++ = static_cast<unsigned char>(u);
    } else if (u < 0x800) {
      *out++ = static_cast<unsigned char>(0xC0 | (u >> 6));
      *out++ = static_cast<unsigned char>(0x80 | (u & 0x3F));
    } else if (IsHighSurrogate(u) && i + 1 < size && IsLowSurrogate(in[i + 1])) {
      const char32_t cp = 0x10000 + ((u - 0xD800u) << 10) + (in[i + 1] - 0xDC00u);
      *out++ = static_cast<unsigned char>(0xF0 | (cp >> 18));
      *out++ = static_cast<unsigned char>(0x80 | ((cp >> 12) & 0x3F));
      *out++ = static_cast<unsigned char>(0x80 | ((cp >> 6) & 0x3F));
      *out++ = static_cast<unsigned char>(0x80 | (cp & 0x3F));
      ++i;
    } else if (u >= 0xDC80 && u <= 0xDCFF) {
      *out++ = static_cast<unsigned char>(u - 0xDC00);
    } else if (IsHighSurrogate(u) || IsLowSurrogate(u)) {
      *out++ = '?';
    } else {
      *out++ = static_cast<unsigned char>(0xE0 | (u >> 12));
      *out++ = static_cast<unsigned char>(0x80 | ((u >> 6) & 0x3F));
      *out++ = static_cast<unsigned char>(0x80 | (u & 0x3F));
    }
  }
  return bytes;
}

std::u16string DecodeUtf16(std::string_view bytes, bool big_endian) {
  const std::size_t pairs = bytes.size() / 2;
  const bool odd = bytes.size() % 2 != 0;
  std::u16string text(pairs + (odd ? 1 : 0), u'\0');
  const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
  const int first = big_endian ? 8 : 0;
  const int second = big_endian ? 0 : 8;
  for (std::size_t k = 0; k < pairs; ++k) {
    text[k] = static_cast<char16_t>((in[2 * k] << first) |
                                    (in[2 * k + 1] << second));
  }
  if (odd) text[pairs] = static_cast<char16_t>(0xDC00 + in[bytes.size() - 1]);
  return text;
}

bool TranscodeUtf16ToUtf8(std::string_view bytes, bool big_endian,
                          std::string& utf8) {
  if (bytes.size() % 2 != 0) return false;
  const std::size_t units = bytes.size() / 2;
  const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
  const int first = big_endian ? 8 : 0;
  const int second = big_endian ? 0 : 8;
  auto unit = [&](std::size_t k) {
    return static_cast<char16_t>((in[2 * k] << first) | (in[2 * k + 1] << second));
  };
  // No unit takes more than three bytes.
  utf8.resize(units * 3 + vector::kTranscodeSlack);
  const bool vector_loops = VectorCodec();
  auto* out = reinterpret_cast<unsigned char*>(utf8.data());
  std::size_t k = 0;
  // While the vector loop gets on, the portable one takes only the vector
  // it stopped at (before a surrogate), up to just past its first unit of
  // three or four bytes;
  // otherwise (text of such units) a stretch of units.
  bool vector_got_on = false;
  while (k < units) {
    if (vector_loops) {
      const std::size_t done =
          vector::TranscodeUtf16Blocks(in + 2 * k, units - k, big_endian, out);
      k += done;
      vector_got_on = done != 0;
      if (k >= units) break;
    }
    const std::size_t stop = k + kStretch < units ? k + kStretch : units;
    bool back_to_vector = false;
    for (; k < stop && !back_to_vector; ++k) {
      const char16_t u = unit(k);
      if (u < 0x80) {
        *out++ = static_cast<unsigned char>(u);
      } else if (u < 0x800) {
        *out++ = static_cast<unsigned char>(0xC0 | (u >> 6));
        *out++ = static_cast<unsigned char>(0x80 | (u & 0x3F));
      } else if (IsHighSurrogate(u)) {
        if (k + 1 >= units || !IsLowSurrogate(unit(k + 1))) return false;
        const char32_t cp = 0x10000 + ((u - 0xD800u) << 10) + (unit(k + 1) - 0xDC00u);
        *out++ = static_cast<unsigned char>(0xF0 | (cp >> 18));
        *out++ = static_cast<unsigned char>(0x80 | ((cp >> 12) & 0x3F));
        *out++ = static_cast<unsigned char>(0x80 | ((cp >> 6) & 0x3F));
        *out++ = static_cast<unsigned char>(0x80 | (cp & 0x3F));
        ++k;
        back_to_vector = vector_got_on;
      } else if (IsLowSurrogate(u)) {
        return false;
      } else {
        *out++ = static_cast<unsigned char>(0xE0 | (u >> 12));
        *out++ = static_cast<unsigned char>(0x80 | ((u >> 6) & 0x3F));
        *out++ = static_cast<unsigned char>(0x80 | (u & 0x3F));
        back_to_vector = vector_got_on;
      }
    }
  }
  utf8.resize(static_cast<std::size_t>(out - reinterpret_cast<unsigned char*>(utf8.data())));
  return true;
}

bool IsValidUtf8(std::string_view bytes) noexcept {
  const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t size = bytes.size();
  const bool vector_loops = VectorCodec();
  std::size_t i = 0;
  std::size_t stretch_end = 0;  // where the vector loop is tried again
  while (i < size) {
    if (vector_loops && i >= stretch_end) {
      i += vector::AsciiPrefix(in + i, size - i);
      stretch_end = i + kStretch;
      if (i >= size) break;
    }
    if (i + 32 <= size &&
        ((Load64(in + i) | Load64(in + i + 8) | Load64(in + i + 16) |
          Load64(in + i + 24)) &
         kHighBits) == 0) {
      i += 32;
      continue;
    }
    const int length = ValidSequenceLength(in + i, size - i);
    if (length == 0) return false;
    i += static_cast<std::size_t>(length);
  }
  return true;
}

bool IsWellFormedUtf16(std::u16string_view text) noexcept {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (IsHighSurrogate(text[i])) {
      if (i + 1 >= text.size() || !IsLowSurrogate(text[i + 1])) return false;
      ++i;
    } else if (IsLowSurrogate(text[i])) {
      return false;
    }
  }
  return true;
}

}  // namespace tarnwick
