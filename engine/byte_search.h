// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// Finding a byte string in a longer one: the vector loops (vector_loops.h)
// for needles of two bytes or more, the C library's memchr for one byte and
// its memmem in the portable loops.
#ifndef TARNWICK_ENGINE_BYTE_SEARCH_H_
#define TARNWICK_ENGINE_BYTE_SEARCH_H_

#include <cstddef>
#include <string_view>

namespace tarnwick {

// The position of the first occurrence of needle in haystack at or after
// from, or std::string_view::npos. An empty needle is found at from.
std::size_t FindBytes(std::string_view haystack, std::size_t from,
                      std::string_view needle) noexcept;

// Finds the occurrences of a non-empty needle at or after from, left to
// right and without overlap (each search goes on after the last match),
// and stores the first `capacity` of their positions. Returns how many it
// stored; fewer than capacity means there are no more.
std::size_t FindAllBytes(std::string_view haystack, std::size_t from,
                         std::string_view needle, std::size_t* positions,
                         std::size_t capacity) noexcept;

// The most finds FindAnyBytes takes.
inline constexpr std::size_t kMaxFinds = 4;

// Finds the occurrences of any of count non-empty finds (1 to kMaxFinds)
// at or after from, left to right and without overlap: at each position the
// first of the finds (in their order) that occurs there is taken, and the
// search goes on after it. Stores the first `capacity` positions, and at
// which[k] the index of the find at positions[k]. Returns how many it
// stored; fewer than capacity means there are no more.
std::size_t FindAnyBytes(std::string_view haystack, std::size_t from,
                         const std::string_view* finds, std::size_t count,
                         std::size_t* positions, unsigned char* which,
                         std::size_t capacity) noexcept;

}  // namespace tarnwick

#endif  // TARNWICK_ENGINE_BYTE_SEARCH_H_
