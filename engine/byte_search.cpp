#include "engine/byte_search.h"

#include <cstring>
#include <string.h>  // memmem

#include "engine/vector_loops.h"

#ifdef TARNWICK_HAVE_AVX512_PATH
#include <immintrin.h>
#endif

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

#ifdef TARNWICK_HAVE_AVX512_PATH
#define TARNWICK_AVX512BW __attribute__((target("avx512f,avx512bw")))

// Calls on_match(at) for each occurrence of needle (at least two bytes) at
// or after from, left to right and without overlap, until it returns false.
// Compares 64 candidate positions at once on the needle's first and last
// byte, and checks only the positions where both agree.
template <typename OnMatch>
TARNWICK_AVX512BW inline void ForEachMatchAvx512(const char* data,
                                                 std::size_t size,
                                                 std::size_t from,
                                                 std::string_view needle,
                                                 OnMatch on_match) {
  const std::size_t m = needle.size();
  const __m512i first = _mm512_set1_epi8(needle.front());
  const __m512i last = _mm512_set1_epi8(needle.back());
  std::size_t allowed = from;  // the earliest start that does not overlap
  std::size_t i = from;
  for (; i + m - 1 + 64 <= size; i += 64) {
    unsigned long long candidates =
        _mm512_cmpeq_epi8_mask(_mm512_loadu_si512(data + i), first) &
        _mm512_cmpeq_epi8_mask(_mm512_loadu_si512(data + i + m - 1), last);
    while (candidates != 0) {
      const std::size_t at = i + static_cast<std::size_t>(__builtin_ctzll(candidates));
      candidates &= candidates - 1;
      if (at < allowed) continue;
      if (m > 2 && std::memcmp(data + at + 1, needle.data() + 1, m - 2) != 0) continue;
      if (!on_match(at)) return;
      allowed = at + m;
    }
  }
  for (std::size_t at = allowed > i ? allowed : i;
       (at = FindPortable(data, size, at, needle)) != kNone; at += m) {
    if (!on_match(at)) return;
  }
}

TARNWICK_AVX512BW std::size_t FindAvx512(const char* data, std::size_t size,
                                         std::size_t from,
                                         std::string_view needle) {
  std::size_t found = kNone;
  ForEachMatchAvx512(data, size, from, needle, [&](std::size_t at) {
    found = at;
    return false;
  });
  return found;
}

TARNWICK_AVX512BW std::size_t FindAllAvx512(
    const char* data, std::size_t size, std::size_t from,
    std::string_view needle, std::size_t* positions, std::size_t capacity) {
  std::size_t count = 0;
  ForEachMatchAvx512(data, size, from, needle, [&](std::size_t at) {
    positions[count++] = at;
    return count < capacity;
  });
  return count;
}

#endif

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
#ifdef TARNWICK_HAVE_AVX512_PATH
  if (UseVectorSearch()) return FindAvx512(haystack.data(), size, from, needle);
#endif
  return FindPortable(haystack.data(), size, from, needle);
}

std::size_t FindAllBytes(std::string_view haystack, std::size_t from,
                         std::string_view needle, std::size_t* positions,
                         std::size_t capacity) noexcept {
  if (needle.empty() || capacity == 0) return 0;
#ifdef TARNWICK_HAVE_AVX512_PATH
  if (needle.size() >= 2 && from <= haystack.size() && UseVectorSearch()) {
    return FindAllAvx512(haystack.data(), haystack.size(), from, needle,
                         positions, capacity);
  }
#endif
  std::size_t count = 0;
  for (std::size_t at = from;
       count < capacity && (at = FindBytes(haystack, at, needle)) != kNone;
       at += needle.size()) {
    positions[count++] = at;
  }
  return count;
}

}  // namespace tarnwick
