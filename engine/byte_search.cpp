#include "engine/byte_search.h"

#include <cstring>
#include <string.h>  // memmem

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define TARNWICK_HAVE_AVX512_PATH 1
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
bool HasAvx512() {
  static const bool has =
      __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw");
  return has;
}

// Compares 64 candidate positions at once on the needle's first and last
// byte, and checks only the positions where both agree.
__attribute__((target("avx512f,avx512bw"))) std::size_t FindAvx512(
    const char* data, std::size_t size, std::size_t from,
    std::string_view needle) {
  const std::size_t m = needle.size();
  const __m512i first = _mm512_set1_epi8(needle.front());
  const __m512i last = _mm512_set1_epi8(needle.back());
  std::size_t i = from;
  for (; i + m - 1 + 64 <= size; i += 64) {
    const __m512i at_first = _mm512_loadu_si512(data + i);
    const __m512i at_last = _mm512_loadu_si512(data + i + m - 1);
    unsigned long long candidates =
        _mm512_cmpeq_epi8_mask(at_first, first) & _mm512_cmpeq_epi8_mask(at_last, last);
    while (candidates != 0) {
      const std::size_t at = i + static_cast<std::size_t>(__builtin_ctzll(candidates));
      if (m <= 2 || std::memcmp(data + at + 1, needle.data() + 1, m - 2) == 0) {
        return at;
      }
      candidates &= candidates - 1;
    }
  }
  return FindPortable(data, size, i, needle);
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
  if (HasAvx512()) return FindAvx512(haystack.data(), size, from, needle);
#endif
  return FindPortable(haystack.data(), size, from, needle);
}

}  // namespace tarnwick
