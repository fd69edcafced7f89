#include "engine/byte_compaction.h"

#include <cstdint>

#include "engine/vector_loops.h"

#ifdef TARNWICK_HAVE_AVX512_PATH
#include <immintrin.h>
#endif

namespace tarnwick {
namespace {

std::size_t CompactBytesScalar(char* data, std::size_t size,
                               const std::array<bool, 256>& stays) {
  std::size_t kept = 0;
  for (std::size_t i = 0; i < size; ++i) {
    const char c = data[i];
    data[kept] = c;
    kept += stays[static_cast<unsigned char>(c)];
  }
  return kept;
}

std::size_t SqueezeSpaceBytesScalar(char* data, std::size_t size,
                                    bool after_space) {
  std::size_t kept = 0;
  for (std::size_t i = 0; i < size; ++i) {
    const char c = data[i];
    const bool space = c == ' ';
    data[kept] = c;
    kept += !(space && after_space);
    after_space = space;
  }
  return kept;
}

// What the empty-line remover knows of the bytes before position i.
struct LineEndState {
  bool lf1;  // byte i-1 is an LF (or the data follows a line end)
  bool lf2;  // byte i-2 is an LF (or the data follows a line end there)
  bool cr1;  // byte i-1 is a CR
};

// A line end token starts at i (an LF not after a CR, or a CR before an
// LF); it is dropped when the token before it ended at i-1. The LF of a
// CR LF goes with its CR.
std::size_t RemoveEmptyLineBytesScalar(char* data, std::size_t size,
                                       std::size_t from, std::size_t kept,
                                       LineEndState state) {
  for (std::size_t i = from; i < size; ++i) {
    const char c = data[i];
    const bool lf = c == '\n';
    const bool cr = c == '\r';
    const bool next_lf = i + 1 < size && data[i + 1] == '\n';
    const bool drop = (lf && (state.cr1 ? state.lf2 : state.lf1)) ||
                      (cr && next_lf && state.lf1);
    data[kept] = c;
    kept += !drop;
    state = {lf, state.lf1, cr};
  }
  return kept;
}

#ifdef TARNWICK_HAVE_AVX512_PATH
#define TARNWICK_AVX512 \
  __attribute__((target("avx512f,avx512bw,avx512vbmi,avx512vbmi2")))

// Blocks of 64 bytes: each block is loaded before anything is stored over
// it, and the write position never passes the read position, so the full
// 64-byte store of a compressed block only overwrites bytes already read.
TARNWICK_AVX512 std::size_t CompactBytesAvx512(
    char* data, std::size_t size, const std::array<bool, 256>& stays) {
  alignas(64) std::uint8_t low[128];
  for (int b = 0; b < 128; ++b) low[b] = stays[static_cast<std::size_t>(b)];
  const __m512i table_low = _mm512_load_si512(low);
  const __m512i table_high = _mm512_load_si512(low + 64);
  const __mmask64 non_ascii_stays = stays[0x80] ? ~__mmask64{0} : 0;
  std::size_t kept = 0;
  std::size_t i = 0;
  for (; i + 64 <= size; i += 64) {
    const __m512i block = _mm512_loadu_si512(data + i);
    const __m512i looked_up =
        _mm512_permutex2var_epi8(table_low, block, table_high);
    const __mmask64 high = _mm512_movepi8_mask(block);
    const __mmask64 keep = (_mm512_test_epi8_mask(looked_up, looked_up) & ~high) |
                           (high & non_ascii_stays);
    _mm512_storeu_si512(data + kept, _mm512_maskz_compress_epi8(keep, block));
    kept += static_cast<std::size_t>(__builtin_popcountll(keep));
  }
  const std::size_t rest = CompactBytesScalar(data + i, size - i, stays);
  if (kept != i) __builtin_memmove(data + kept, data + i, rest);
  return kept + rest;
}

TARNWICK_AVX512 std::size_t SqueezeSpaceBytesAvx512(char* data,
                                                    std::size_t size,
                                                    bool follows_space) {
  const __m512i spaces = _mm512_set1_epi8(' ');
  std::size_t kept = 0;
  std::size_t i = 0;
  std::uint64_t carry = follows_space;  // 1 when the byte before the block is a space
  for (; i + 64 <= size; i += 64) {
    const __m512i block = _mm512_loadu_si512(data + i);
    const std::uint64_t space = _mm512_cmpeq_epi8_mask(block, spaces);
    const std::uint64_t after_space = (space << 1) | carry;
    const __mmask64 keep = ~(space & after_space);
    carry = space >> 63;
    _mm512_storeu_si512(data + kept, _mm512_maskz_compress_epi8(keep, block));
    kept += static_cast<std::size_t>(__builtin_popcountll(keep));
  }
  const std::size_t rest =
      SqueezeSpaceBytesScalar(data + i, size - i, carry != 0);
  if (kept != i) __builtin_memmove(data + kept, data + i, rest);
  return kept + rest;
}

// The same rule on masks of 64 bytes; the byte after each block is looked
// at for the CR of a CR LF at the block's end.
TARNWICK_AVX512 std::size_t RemoveEmptyLineBytesAvx512(char* data,
                                                       std::size_t size,
                                                       bool follows_line_end) {
  const __m512i lfs = _mm512_set1_epi8('\n');
  const __m512i crs = _mm512_set1_epi8('\r');
  std::uint64_t lf1 = follows_line_end, lf2 = follows_line_end, cr1 = 0;
  std::size_t kept = 0;
  std::size_t i = 0;
  for (; i + 64 < size; i += 64) {
    const __m512i block = _mm512_loadu_si512(data + i);
    const std::uint64_t lf = _mm512_cmpeq_epi8_mask(block, lfs);
    const std::uint64_t cr = _mm512_cmpeq_epi8_mask(block, crs);
    const std::uint64_t next_lf =
        (lf >> 1) | (std::uint64_t{data[i + 64] == '\n'} << 63);
    const std::uint64_t prev_lf = (lf << 1) | lf1;
    const std::uint64_t prev2_lf = (lf << 2) | (lf1 << 1) | lf2;
    const std::uint64_t prev_cr = (cr << 1) | cr1;
    const std::uint64_t drop =
        (lf & ((~prev_cr & prev_lf) | (prev_cr & prev2_lf))) |
        (cr & next_lf & prev_lf);
    lf2 = (lf >> 62) & 1;
    lf1 = lf >> 63;
    cr1 = cr >> 63;
    _mm512_storeu_si512(data + kept, _mm512_maskz_compress_epi8(~drop, block));
    kept += static_cast<std::size_t>(__builtin_popcountll(~drop));
  }
  return RemoveEmptyLineBytesScalar(data, size, i, kept,
                                    {lf1 != 0, lf2 != 0, cr1 != 0});
}
#endif

}  // namespace

std::size_t CompactBytes(char* data, std::size_t size,
                         const std::array<bool, 256>& stays) {
#ifdef TARNWICK_HAVE_AVX512_PATH
  if (UseVectorCompaction()) return CompactBytesAvx512(data, size, stays);
#endif
  return CompactBytesScalar(data, size, stays);
}

std::size_t RemoveEmptyLineBytes(char* data, std::size_t size,
                                 bool follows_line_end) {
#ifdef TARNWICK_HAVE_AVX512_PATH
  if (UseVectorCompaction()) {
    return RemoveEmptyLineBytesAvx512(data, size, follows_line_end);
  }
#endif
  return RemoveEmptyLineBytesScalar(data, size, 0, 0,
                                    {follows_line_end, follows_line_end, false});
}

std::size_t SqueezeSpaceBytes(char* data, std::size_t size,
                              bool follows_space) {
#ifdef TARNWICK_HAVE_AVX512_PATH
  if (UseVectorCompaction()) {
    return SqueezeSpaceBytesAvx512(data, size, follows_space);
  }
#endif
  return SqueezeSpaceBytesScalar(data, size, follows_space);
}

}  // namespace tarnwick
