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

}  // namespace tarnwick
