// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// The engine's vector loops, written once (Google Highway) and compiled for
// every instruction set the compiler can target; each call runs the best one
// that the processor has (vector_loops.h chooses, and whether they run at
// all). They work on whole vectors only and say how far they got; the
// callers finish the rest with the portable loops, which define the result.
// Not for use outside the engine.
#ifndef TARNWICK_ENGINE_VECTOR_KERNELS_H_
#define TARNWICK_ENGINE_VECTOR_KERNELS_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tarnwick::vector {

// How far an in-place removal got: data[0, kept) holds what stays of
// data[0, read); data[read, size) is untouched.
struct Compacted {
  std::size_t read = 0;
  std::size_t kept = 0;
};

// Keeps byte b where stays[b] (the same answer for every b >= 0x80).
Compacted CompactBlocks(char* data, std::size_t size,
                        const std::array<bool, 256>& stays);

// Drops each space that follows a space; after_space says whether the byte
// before data (or before read, on return) is a space.
Compacted SqueezeSpaceBlocks(char* data, std::size_t size, bool& after_space);

// What the empty-line remover knows of the two bytes before a position.
struct LineEnds {
  bool lf1 = false;  // the byte before is an LF (or the data follows a line end)
  bool lf2 = false;  // the byte two before is an LF (or as lf1)
  bool cr1 = false;  // the byte before is a CR
};

// Drops each line end token (an LF not after a CR, or a CR LF) that directly
// follows another one; reads one byte past each vector, so stops at least
// one byte before size. line_ends is updated to the state at read.
Compacted RemoveEmptyLineBlocks(char* data, std::size_t size,
                                LineEnds& line_ends);

// FindAllBytes for needles of two bytes or more, from <= size.
std::size_t FindAll(const char* data, std::size_t size, std::size_t from,
                    std::string_view needle, std::size_t* positions,
                    std::size_t capacity);

// How far FindAny got: it stored count positions, and no match but those
// starts before resume (where a search for more goes on).
struct FoundAny {
  std::size_t count = 0;
  std::size_t resume = 0;
};

// FindAnyBytes for one to kMaxFinds finds, from <= size, while whole
// vectors remain; the caller finishes from resume.
FoundAny FindAny(const char* data, std::size_t size, std::size_t from,
                 const std::string_view* finds, std::size_t count,
                 std::size_t* positions, unsigned char* which,
                 std::size_t capacity);

// How far ReplaceAny got: data before read is handled, its result in out
// before written; out_full when it stopped at a match for which out had
// no room.
struct ReplacedAny {
  std::size_t read = 0;
  std::size_t written = 0;
  bool out_full = false;
};

// The bytes that ReplaceAny may read and write past what it copies.
inline constexpr std::size_t kReplaceSlack = 64;

// Replaces the matches that FindAny finds from read on, for one to four
// finds of which no two begin with the same byte (else it does nothing),
// by replacements[k] (of replacement_sizes[k] bytes, readable kReplaceSlack
// bytes past them), writing the bytes before each match and its
// replacement to out from written on, while a match has kReplaceSlack
// bytes of data after its start and out has room for what it writes and
// kReplaceSlack bytes more before out_size. matches[k] grows by the matches
// of find k; the caller finishes from read.
ReplacedAny ReplaceAny(const char* data, std::size_t size, std::size_t read,
                       const std::string_view* finds, std::size_t count,
                       const char* const* replacements,
                       const std::size_t* replacement_sizes, char* out,
                       std::size_t written, std::size_t out_size,
                       std::uint64_t* matches);

// Converts UTF-16 units (bytes in the given order) to UTF-8 while whole
// vectors of them hold no surrogate; returns how many units it converted
// and moves out past their bytes. out must have room for 3 bytes per unit
// and kTranscodeSlack more (bytes past the result may be written).
inline constexpr std::size_t kTranscodeSlack = 64;  // a vector of the widest target
std::size_t TranscodeUtf16Blocks(const unsigned char* in, std::size_t units,
                                 bool big_endian, unsigned char*& out);

// Widens ASCII bytes to units while whole vectors are ASCII; returns how
// many it widened.
std::size_t WidenAscii(const unsigned char* in, std::size_t size,
                       char16_t* out);

// How many bytes at the start are ASCII, counted in whole vectors.
std::size_t AsciiPrefix(const unsigned char* in, std::size_t size);

}  // namespace tarnwick::vector

#endif  // TARNWICK_ENGINE_VECTOR_KERNELS_H_
