// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "engine/byte_search.h"

#include <cstring>
#include <string.h>  // memmem

#include "engine/vector_kernels.h"
#include "engine/vector_loops.h"

namespace tarnwick {
namespace {

constexpr std::size_t kNone = std::string_view::npos;

std::size_t FindPortable(const char* data, std::size_t size, std::size_t from,
                         std::string_view needle) {
  const void* hit =
      memmem(data + from, size - from, needle.data(), needle.size());
  return hit == nullptr ? kNone
                        : static_cast<std::size_t>(static_cast<const char*>(hit) - data);
}

// The next occurrence of each find, the earliest taken.
std::size_t FindAnyPortable(std::string_view haystack, std::size_t from,
                            const std::string_view* finds, std::size_t count,
                            std::size_t* positions, unsigned char* which,
                            std::size_t capacity) {
  std::size_t next[kMaxFinds];
  for (std::size_t k = 0; k < count; ++k) next[k] = FindBytes(haystack, from, finds[k]);
  std::size_t stored = 0;
  std::size_t at = from;
  while (stored < capacity) {
    std::size_t best = kNone;
    std::size_t index = 0;
    for (std::size_t k = 0; k < count; ++k) {
      if (next[k] != kNone && next[k] < at) next[k] = FindBytes(haystack, at, finds[k]);
      if (next[k] < best) {
        best = next[k];
        index = k;
      }
    }
    if (best == kNone) break;
    positions[stored] = best;
    which[stored++] = static_cast<unsigned char>(index);
    at = best + finds[index].size();
  }
  return stored;
}

}  // namespace

std::size_t FindBytes(std::string_view haystack, std::size_t from,
                      std::string_view needle) noexcept {
  const std::size_t size = haystack.size();
  if (from > size || needle.size() > size - from) return kNone;
  if (needle.empty()) return from;
  if (needle.size() == 1) {
    const void* hit = std::memchr(haystack.data() + from, needle[0], size - from);
    return hit == nullptr ? kNone
                          : static_cast<std::size_t>(static_cast<const char*>(hit) -
                                                     haystack.data());
  }
  if (UseVectorLoops()) {
    std::size_t at = kNone;
    vector::FindAll(haystack.data(), size, from, needle, &at, 1);
    return at;
  }
  return FindPortable(haystack.data(), size, from, needle);
}

std::size_t FindAllBytes(std::string_view haystack, std::size_t from,
                         std::string_view needle, std::size_t* positions,
                         std::size_t capacity) noexcept {
  if (needle.empty() || capacity == 0) return 0;
  if (needle.size() >= 2 && from <= haystack.size() && UseVectorLoops()) {
    return vector::FindAll(haystack.data(), haystack.size(), from, needle,
                           positions, capacity);
  }
  std::size_t count = 0;
  for (std::size_t at = from;
       count < capacity && (at = FindBytes(haystack, at, needle)) != kNone;
       at += needle.size()) {
    positions[count++] = at;
  }
  return count;
}

std::size_t FindAnyBytes(std::string_view haystack, std::size_t from,
                         const std::string_view* finds, std::size_t count,
                         std::size_t* positions, unsigned char* which,
                         std::size_t capacity) noexcept {
  if (count == 0 || count > kMaxFinds || capacity == 0 || from > haystack.size()) {
    return 0;
  }
  std::size_t stored = 0;
  if (UseVectorLoops()) {
    const vector::FoundAny found = vector::FindAny(
        haystack.data(), haystack.size(), from, finds, count, positions, which, capacity);
    stored = found.count;
    from = found.resume;
    if (stored == capacity) return stored;
  }
  return stored + FindAnyPortable(haystack, from, finds, count, positions + stored,
                                  which + stored, capacity - stored);
}

}  // namespace tarnwick
