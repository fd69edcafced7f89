// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// Compiled once per instruction set: foreach_target.h includes this file
// again for each one, and HWY_EXPORT / HWY_DYNAMIC_DISPATCH call the best
// version the processor runs.
#include "engine/vector_kernels.h"

#include <cstdint>
#include <cstring>
#include <string.h>  // memmem

#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "engine/vector_kernels.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep
#include <hwy/highway.h>

HWY_BEFORE_NAMESPACE();
namespace tarnwick::vector {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

// Byte vectors of at most 64 lanes, so that one 64-bit word holds a mask
// (bit i for lane i) and the masks of neighbouring lanes are a shift away.
using D8 = hn::CappedTag<uint8_t, 64>;

#if HWY_TARGET == HWY_SCALAR
// One lane at a time (the fallback of compilers where Highway's SSE2
// emulation is broken) gains nothing over the portable loops: leave all to
// them.
Compacted CompactBlocks(char*, size_t, const std::array<bool, 256>&) { return {}; }
Compacted SqueezeSpaceBlocks(char*, size_t, bool&) { return {}; }
Compacted RemoveEmptyLineBlocks(char*, size_t, LineEnds&) { return {}; }
size_t TranscodeUtf16Blocks(const unsigned char*, size_t, bool, unsigned char*&) {
  return 0;
}
size_t WidenAscii(const unsigned char*, size_t, char16_t*) { return 0; }
size_t AsciiPrefix(const unsigned char*, size_t) { return 0; }
FoundAny FindAny(const char*, size_t, size_t from, const std::string_view*,
                 size_t, size_t*, unsigned char*, size_t) {
  return {0, from};
}
ReplacedAny ReplaceAny(const char*, size_t, size_t read, const std::string_view*,
                       size_t, const char* const*, const size_t*, char*,
                       size_t written, size_t, uint64_t*) {
  return {read, written, false};
}

// The portable search.
size_t FindAll(const char* data, size_t size, size_t from,
               std::string_view needle, size_t* positions, size_t capacity) {
  size_t count = 0;
  for (size_t at = from; at + needle.size() <= size; at += needle.size()) {
    const void* hit = memmem(data + at, size - at, needle.data(), needle.size());
    if (hit == nullptr) break;
    at = static_cast<size_t>(static_cast<const char*>(hit) - data);
    positions[count++] = at;
    if (count == capacity) break;
  }
  return count;
}
#else

using D16 = hn::Repartition<uint16_t, D8>;

HWY_INLINE uint64_t LaneBits(size_t lanes) {
  return lanes >= 64 ? ~uint64_t{0} : (uint64_t{1} << lanes) - 1;
}

template <class D, class M>
HWY_INLINE uint64_t MaskBits(D d, M mask) {
  uint8_t bytes[8] = {};
  hn::StoreMaskBits(d, mask, bytes);
  uint64_t bits = 0;
  for (int k = 0; k < 8; ++k) bits |= uint64_t{bytes[k]} << (8 * k);
  return bits;
}

#if HWY_TARGET != HWY_SCALAR && HWY_TARGET != HWY_AVX3_DL
// For each byte of mask bits, the indices of the lanes to keep among eight,
// in order: for the low eight lanes of a 16-byte block in the low half of
// an entry, for the high eight in the high half (the other half zero, so
// that the two entries of a block combine by OR, without a shuffle). In
// static storage: Highway's own byte compression (native only with AVX-512
// VBMI2) copies such a table to the stack for every vector.
struct CompressIndices {
  uint8_t low[256][16];
  uint8_t high[256][16];
  uint8_t count[256];  // of lanes kept (no population count before SSE4)
};
constexpr CompressIndices MakeCompressIndices() {
  CompressIndices table{};
  for (int bits = 0; bits < 256; ++bits) {
    int kept = 0;
    for (int lane = 0; lane < 8; ++lane) {
      if (bits & (1 << lane)) {
        table.low[bits][kept] = static_cast<uint8_t>(lane);
        table.high[bits][8 + kept++] = static_cast<uint8_t>(8 + lane);
      }
    }
    for (int lane = kept; lane < 8; ++lane) table.high[bits][8 + lane] = 8;
    table.count[bits] = static_cast<uint8_t>(kept);
  }
  return table;
}
alignas(64) constexpr CompressIndices kCompressIndices = MakeCompressIndices();

// For each mask of eight 16-bit words holding the UTF-8 of units below
// U+0800 (bit j set: unit j is ASCII, its high byte not part of it), the
// indices of the bytes that belong to the UTF-8, in order, and their count.
struct PackIndices {
  uint8_t bytes[256][16];
  uint8_t count[256];
};
constexpr PackIndices MakePackIndices() {
  PackIndices table{};
  for (int ascii = 0; ascii < 256; ++ascii) {
    int kept = 0;
    for (int unit = 0; unit < 8; ++unit) {
      table.bytes[ascii][kept++] = static_cast<uint8_t>(2 * unit);
      if (!(ascii & (1 << unit))) table.bytes[ascii][kept++] = static_cast<uint8_t>(2 * unit + 1);
    }
    table.count[ascii] = static_cast<uint8_t>(kept);
  }
  return table;
}
alignas(64) constexpr PackIndices kPackIndices = MakePackIndices();
#endif

// Stores the lanes of v whose bit is set in keep, in order, at out (which
// may lie within the bytes v was loaded from, at or before them: the whole
// vector may be written). Returns how many it kept.
template <class D, class V>
HWY_INLINE size_t StoreKept(D d, V v, uint64_t keep, uint8_t* out) {
  // Always the same steps, also for a vector that keeps every lane: a test
  // for that case costs more than it saves wherever removals are scattered
  // (the processor cannot foresee its outcome).
#if HWY_TARGET == HWY_AVX3_DL
  uint8_t bytes[8];
  for (int k = 0; k < 8; ++k) bytes[k] = static_cast<uint8_t>(keep >> (8 * k));
  return hn::CompressBitsStore(v, bytes, d, out);
#else
  // Sixteen lanes at a time, each block shuffled once: its two bytes of
  // the mask pick the lanes kept of each half, and each half is stored
  // where the one before ended. The offsets from out are counted apart
  // from out itself: the caller's count of bytes kept, on which the next
  // vector's out depends, then grows by one addition per vector, not by
  // one per half.
  const size_t n = hn::Lanes(d);
  HWY_ALIGN uint8_t lanes[hn::MaxLanes(d)];
  hn::Store(v, d, lanes);
  const hn::Full128<uint8_t> d16;
  const hn::Full64<uint8_t> d8;
  size_t at = 0;
  for (size_t block = 0; block < n; block += 16) {
    const unsigned low = static_cast<unsigned>(keep >> block) & 0xFF;
    const unsigned high = static_cast<unsigned>(keep >> (block + 8)) & 0xFF;
    const auto indices = hn::Or(hn::Load(d16, kCompressIndices.low[low]),
                                hn::Load(d16, kCompressIndices.high[high]));
    const auto kept = hn::TableLookupBytes(hn::Load(d16, lanes + block), indices);
    hn::StoreU(hn::LowerHalf(d8, kept), d8, out + at);
    at += kCompressIndices.count[low];
#if HWY_ARCH_X86
    // The high half straight from the register (no shuffle first).
    _mm_storeh_pi(reinterpret_cast<__m64*>(out + at), _mm_castsi128_ps(kept.raw));
#else
    hn::StoreU(hn::UpperHalf(d8, kept), d8, out + at);
#endif
    at += kCompressIndices.count[high];
  }
  return at;
#endif
}

// A byte b < 0x80 is dropped when bit (b >> 4) of low_nibble[b & 15] is set
// (two table look-ups in each 16-byte block); bytes >= 0x80 all stay or all
// go.
Compacted CompactBlocks(char* data, size_t size,
                        const std::array<bool, 256>& stays) {
  const D8 d;
  const size_t n = hn::Lanes(d);
  HWY_ALIGN uint8_t low_nibble[16] = {};
  HWY_ALIGN uint8_t high_nibble[16] = {};
  for (int b = 0; b < 128; ++b) {
    if (!stays[static_cast<size_t>(b)]) low_nibble[b & 15] |= uint8_t(1u << (b >> 4));
  }
  for (int h = 0; h < 8; ++h) high_nibble[h] = uint8_t(1u << h);
  const auto low_table = hn::LoadDup128(d, low_nibble);
  const auto high_table = hn::LoadDup128(d, high_nibble);
  const auto non_ascii_goes = hn::Set(d, stays[0x80] ? 0 : 0x80);
  const auto nibble = hn::Set(d, 0x0F);
  auto* bytes = reinterpret_cast<uint8_t*>(data);
  Compacted done;
  for (; done.read + n <= size; done.read += n) {
    const auto v = hn::LoadU(d, bytes + done.read);
    const auto member =
        hn::And(hn::TableLookupBytes(low_table, hn::And(v, nibble)),
                hn::TableLookupBytes(high_table, hn::ShiftRight<4>(v)));
    const auto drop = hn::Or(member, hn::And(v, non_ascii_goes));
    done.kept += StoreKept(d, v, MaskBits(d, hn::Eq(drop, hn::Zero(d))),
                           bytes + done.kept);
  }
  return done;
}

Compacted SqueezeSpaceBlocks(char* data, size_t size, bool& after_space) {
  const D8 d;
  const size_t n = hn::Lanes(d);
  const uint64_t lanes = LaneBits(n);
  const auto spaces = hn::Set(d, ' ');
  auto* bytes = reinterpret_cast<uint8_t*>(data);
  uint64_t carry = after_space;  // 1 when the byte before the vector is a space
  Compacted done;
  for (; done.read + n <= size; done.read += n) {
    const auto v = hn::LoadU(d, bytes + done.read);
    const uint64_t space = MaskBits(d, hn::Eq(v, spaces));
    const uint64_t follows_space = (space << 1) | carry;
    carry = (space >> (n - 1)) & 1;
    done.kept += StoreKept(d, v, ~(space & follows_space) & lanes,
                           bytes + done.kept);
  }
  after_space = carry != 0;
  return done;
}

// The rule of the portable loop on masks: an LF is dropped when the token
// before it (the byte before, or two before when a CR precedes it) ended in
// an LF; a CR is dropped when an LF follows it and one precedes it.
Compacted RemoveEmptyLineBlocks(char* data, size_t size, LineEnds& line_ends) {
  const D8 d;
  const size_t n = hn::Lanes(d);
  const uint64_t lanes = LaneBits(n);
  const auto lfs = hn::Set(d, '\n');
  const auto crs = hn::Set(d, '\r');
  auto* bytes = reinterpret_cast<uint8_t*>(data);
  uint64_t lf1 = line_ends.lf1, lf2 = line_ends.lf2, cr1 = line_ends.cr1;
  Compacted done;
  for (; done.read + n < size; done.read += n) {
    const auto v = hn::LoadU(d, bytes + done.read);
    const uint64_t lf = MaskBits(d, hn::Eq(v, lfs));
    const uint64_t cr = MaskBits(d, hn::Eq(v, crs));
    const uint64_t next_lf =
        (lf >> 1) | (uint64_t{bytes[done.read + n] == '\n'} << (n - 1));
    const uint64_t prev_lf = (lf << 1) | lf1;
    const uint64_t prev2_lf = (lf << 2) | (lf1 << 1) | lf2;
    const uint64_t prev_cr = (cr << 1) | cr1;
    const uint64_t drop =
        (lf & ((~prev_cr & prev_lf) | (prev_cr & prev2_lf))) |
        (cr & next_lf & prev_lf);
    lf2 = (lf >> (n - 2)) & 1;
    lf1 = (lf >> (n - 1)) & 1;
    cr1 = (cr >> (n - 1)) & 1;
    // Empty lines are few and far between in most text: most vectors keep
    // every byte, and the processor foresees that they do.
    if (drop == 0) {
      hn::StoreU(v, d, bytes + done.kept);
      done.kept += n;
      continue;
    }
    done.kept += StoreKept(d, v, ~drop & lanes, bytes + done.kept);
  }
  line_ends = {lf1 != 0, lf2 != 0, cr1 != 0};
  return done;
}

// Compares a vector of candidate starts at once on the needle's first and
// last byte, and checks only the starts where both agree; memmem finishes
// the last bytes.
size_t FindAll(const char* data, size_t size, size_t from,
               std::string_view needle, size_t* positions, size_t capacity) {
  const D8 d;
  const size_t n = hn::Lanes(d);
  const size_t m = needle.size();
  const auto first = hn::Set(d, static_cast<uint8_t>(needle.front()));
  const auto last = hn::Set(d, static_cast<uint8_t>(needle.back()));
  const auto* bytes = reinterpret_cast<const uint8_t*>(data);
  size_t count = 0;
  size_t allowed = from;  // the earliest start that does not overlap
  size_t i = from;
  for (; i + m - 1 + n <= size; i += n) {
    const auto both = hn::And(hn::Eq(hn::LoadU(d, bytes + i), first),
                              hn::Eq(hn::LoadU(d, bytes + i + m - 1), last));
    if (hn::AllFalse(d, both)) continue;
    uint64_t candidates = MaskBits(d, both);
    while (candidates != 0) {
      const size_t at = i + static_cast<size_t>(hwy::Num0BitsBelowLS1Bit_Nonzero64(candidates));
      candidates &= candidates - 1;
      if (at < allowed) continue;
      if (m > 2 && std::memcmp(data + at + 1, needle.data() + 1, m - 2) != 0) continue;
      positions[count++] = at;
      if (count == capacity) return count;
      allowed = at + m;
    }
  }
  for (size_t at = allowed > i ? allowed : i; at + m <= size; at += m) {
    const void* hit = memmem(data + at, size - at, needle.data(), m);
    if (hit == nullptr) break;
    at = static_cast<size_t>(static_cast<const char*>(hit) - data);
    positions[count++] = at;
    if (count == capacity) break;
  }
  return count;
}

// Whether the find of m bytes whose first and last bytes agree with those
// at data + at (at + m <= size) occurs there. Compares eight bytes at a
// time without a call, so that the vectors of the loop stay in registers.
HWY_INLINE bool RestAgrees(const uint8_t* bytes, size_t at, const char* find, size_t m) {
  size_t j = 1;
  for (; j + 8 < m; j += 8) {
    uint64_t a, b;
    std::memcpy(&a, bytes + at + j, 8);
    std::memcpy(&b, find + j, 8);
    if (a != b) return false;
  }
  for (; j + 1 < m; ++j) {
    if (bytes[at + j] != static_cast<uint8_t>(find[j])) return false;
  }
  return true;
}

// What FindAnyOf knows of its finds: find k's first byte, last byte,
// length and text, and its first eight bytes as a word with the mask of
// those that belong to it (the unused finds repeat find 0).
struct FindTable {
  uint8_t first[4], last[4];
  size_t length[4];
  const char* text[4];
  uint64_t head[4], head_mask[4];
  // When no two finds begin with the same byte: the find that begins with
  // byte b (any where none does).
  bool distinct_first = true;
  uint8_t by_first[256];
};

// Whether find k of the table begins at bytes + at: its first eight bytes
// compared as one word (eight bytes are there from every candidate), then
// its last byte and the rest.
HWY_INLINE bool FindAt(const uint8_t* bytes, size_t at, const FindTable& table,
                       size_t k) {
  uint64_t word;
  std::memcpy(&word, bytes + at, 8);
  bool match = ((word ^ table.head[k]) & table.head_mask[k]) == 0;
  if (table.length[k] > 8) {
    match = match && bytes[at + table.length[k] - 1] == table.last[k] &&
            std::memcmp(bytes + at + 8, table.text[k] + 8, table.length[k] - 8) == 0;
  }
  return match;
}

template <size_t K>
HWY_INLINE void MakeFindTable(const std::string_view* finds, FindTable& table) {
  std::memset(table.by_first, 0, sizeof table.by_first);
  bool seen[256] = {};
  for (size_t k = 0; k < 4; ++k) {
    const std::string_view find = finds[k < K ? k : 0];
    const auto first = static_cast<uint8_t>(find.front());
    table.first[k] = first;
    table.last[k] = static_cast<uint8_t>(find.back());
    table.length[k] = find.size();
    table.text[k] = find.data();
    const size_t head = HWY_MIN(find.size(), size_t{8});
    uint8_t bytes[8] = {};
    std::memcpy(bytes, find.data(), head);
    std::memcpy(&table.head[k], bytes, 8);
    table.head_mask[k] = head == 8 ? ~uint64_t{0} : (uint64_t{1} << (8 * head)) - 1;
    if (k >= K) continue;
    if (seen[first]) table.distinct_first = false;
    seen[first] = true;
    table.by_first[first] = static_cast<uint8_t>(k);
  }
}

// Tries the listed candidates in order, the finds in their order at each;
// false when the positions are full (found.resume then set).
template <size_t K>
HWY_INLINE bool TryInOrder(const uint8_t* bytes, const FindTable& table,
                           const size_t* candidates, size_t listed,
                           size_t& allowed, FoundAny& found, size_t* positions,
                           unsigned char* which, size_t capacity) {
  for (size_t c = 0; c < listed; ++c) {
    const size_t at = candidates[c];
    if (at < allowed) continue;
    for (size_t k = 0; k < K; ++k) {
      if (bytes[at] != table.first[k] ||
          bytes[at + table.length[k] - 1] != table.last[k] ||
          !RestAgrees(bytes, at, table.text[k], table.length[k])) {
        continue;
      }
      positions[found.count] = at;
      which[found.count++] = static_cast<unsigned char>(k);
      allowed = at + table.length[k];
      if (found.count == capacity) {
        found.resume = allowed;
        return false;
      }
      break;
    }
  }
  return true;
}

// The same when the finds begin with different bytes: the byte at a
// candidate names the one find to try, and its first eight bytes are
// compared as one word (the eight bytes from each candidate are there), so
// that no branch depends on which find it is or whether it matches.
HWY_INLINE bool TryByFirstByte(const uint8_t* bytes, const FindTable& table,
                               const size_t* candidates, size_t listed,
                               size_t& allowed, FoundAny& found,
                               size_t* positions, unsigned char* which,
                               size_t capacity) {
  size_t count = found.count;
  for (size_t c = 0; c < listed; ++c) {
    const size_t at = candidates[c];
    const size_t k = table.by_first[bytes[at]];
    const bool match = at >= allowed && FindAt(bytes, at, table, k);
    positions[count] = at;
    which[count] = static_cast<unsigned char>(k);
    allowed = match ? at + table.length[k] : allowed;
    count += match;
    if (count == capacity) {
      found.count = count;
      found.resume = allowed;
      return false;
    }
  }
  found.count = count;
  return true;
}

// The candidates of up to kSteps steps of 64 bytes (one to four vectors)
// are listed first, kListed a step whatever their number (most steps hold
// fewer), then tried: neither has a branch whose outcome depends on the
// text, but for the rare step of more than kListed and the matches.
constexpr size_t kSteps = 16;
constexpr size_t kListed = 4;
constexpr size_t kStep = 64;

// Lists at candidates the starts that agree with the first and the last
// byte of any of the K finds, in the steps from i on while
// i + reach + kStep <= size (at most kSteps of them); moves i past them and
// returns how many it listed.
template <size_t K>
HWY_INLINE size_t ListCandidates(const uint8_t* bytes, size_t size, size_t reach,
                                 const FindTable& table, size_t& i,
                                 size_t* candidates) {
  const D8 d;
  const size_t n = hn::Lanes(d);
  const size_t* length = table.length;
  const auto first0 = hn::Set(d, table.first[0]), last0 = hn::Set(d, table.last[0]);
  const auto first1 = hn::Set(d, table.first[1]), last1 = hn::Set(d, table.last[1]);
  const auto first2 = hn::Set(d, table.first[2]), last2 = hn::Set(d, table.last[2]);
  const auto first3 = hn::Set(d, table.first[3]), last3 = hn::Set(d, table.last[3]);
  size_t listed = 0;
  for (size_t s = 0; s < kSteps && i + reach + kStep <= size; ++s, i += kStep) {
    uint64_t bits = 0;
    for (size_t j = 0; j < kStep; j += n) {
      const uint8_t* at = bytes + i + j;
      const auto block = hn::LoadU(d, at);
      auto any = hn::And(hn::Eq(block, first0), hn::Eq(hn::LoadU(d, at + length[0] - 1), last0));
      if constexpr (K > 1) {
        any = hn::Or(any, hn::And(hn::Eq(block, first1),
                                  hn::Eq(hn::LoadU(d, at + length[1] - 1), last1)));
      }
      if constexpr (K > 2) {
        any = hn::Or(any, hn::And(hn::Eq(block, first2),
                                  hn::Eq(hn::LoadU(d, at + length[2] - 1), last2)));
      }
      if constexpr (K > 3) {
        any = hn::Or(any, hn::And(hn::Eq(block, first3),
                                  hn::Eq(hn::LoadU(d, at + length[3] - 1), last3)));
      }
      bits |= MaskBits(d, any) << j;
    }
    const size_t count = hwy::PopCount(bits);
    // The top bit keeps the count of zeros defined once bits runs out.
    constexpr uint64_t kTop = uint64_t{1} << 63;
    for (size_t k = 0; k < kListed; ++k) {
      candidates[listed + k] = i + hwy::Num0BitsBelowLS1Bit_Nonzero64(bits | kTop);
      bits &= bits - 1;
    }
    for (size_t k = kListed; k < count; ++k) {
      candidates[listed + k] = i + hwy::Num0BitsBelowLS1Bit_Nonzero64(bits);
      bits &= bits - 1;
    }
    listed += count;
  }
  return listed;
}

// The last byte past a start that the candidate tests read.
template <size_t K>
HWY_INLINE size_t Reach(const FindTable& table) {
  size_t reach = table.distinct_first ? 7 : 0;  // TryByFirstByte's word
  for (size_t k = 0; k < K; ++k) reach = HWY_MAX(reach, table.length[k] - 1);
  return reach;
}

// FindAll for K finds at once: a start is a candidate when it agrees with
// the first and the last byte of any of them; the finds are tried in their
// order at each candidate.
template <size_t K>
HWY_INLINE FoundAny FindAnyOf(const char* data, size_t size, size_t from,
                              const std::string_view* finds, size_t* positions,
                              unsigned char* which, size_t capacity) {
  static_assert(K >= 1 && K <= 4);
  const auto* bytes = reinterpret_cast<const uint8_t*>(data);
  FindTable table;
  MakeFindTable<K>(finds, table);
  const size_t reach = Reach<K>(table);
  FoundAny found;
  size_t allowed = from;  // the earliest start that does not overlap
  size_t i = from;
  size_t candidates[kSteps * 64 + kListed];
  while (i + reach + kStep <= size) {
    const size_t listed = ListCandidates<K>(bytes, size, reach, table, i, candidates);
    const bool room =
        table.distinct_first
            ? TryByFirstByte(bytes, table, candidates, listed, allowed, found,
                             positions, which, capacity)
            : TryInOrder<K>(bytes, table, candidates, listed, allowed, found,
                            positions, which, capacity);
    if (!room) return found;
  }
  found.resume = HWY_MAX(i, allowed);
  return found;
}

FoundAny FindAny(const char* data, size_t size, size_t from,
                 const std::string_view* finds, size_t count, size_t* positions,
                 unsigned char* which, size_t capacity) {
  switch (count) {
    case 1: return FindAnyOf<1>(data, size, from, finds, positions, which, capacity);
    case 2: return FindAnyOf<2>(data, size, from, finds, positions, which, capacity);
    case 3: return FindAnyOf<3>(data, size, from, finds, positions, which, capacity);
    case 4: return FindAnyOf<4>(data, size, from, finds, positions, which, capacity);
    default: return {0, from};
  }
}

// Copies count bytes in blocks of kReplaceSlack, reading and writing up to
// kReplaceSlack bytes past count.
HWY_INLINE void CopyBlocks(uint8_t* to, const uint8_t* from, size_t count) {
  const D8 d;
  const size_t n = hn::Lanes(d);
  size_t done = 0;
  do {
    for (size_t j = 0; j < kReplaceSlack; j += n) {
      hn::StoreU(hn::LoadU(d, from + done + j), d, to + done + j);
    }
    done += kReplaceSlack;
  } while (done < count);
}

// FindAnyOf with TryByFirstByte's test, each match replaced as soon as it
// is found: the stretch before it and its replacement are copied to out.
template <size_t K>
HWY_INLINE ReplacedAny ReplaceAnyOf(const char* data, size_t size, size_t read,
                                    const std::string_view* finds,
                                    const char* const* replacements,
                                    const size_t* replacement_sizes, char* out,
                                    size_t written, size_t out_size,
                                    uint64_t* matches) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(data);
  auto* to = reinterpret_cast<uint8_t*>(out);
  FindTable table;
  MakeFindTable<K>(finds, table);
  if (!table.distinct_first) return {read, written, false};
  // Every candidate has a block of slack after it.
  const size_t reach = HWY_MAX(Reach<K>(table), kReplaceSlack - 1);
  // The state in locals, none of which the stores through `to` could
  // reach: the compiler keeps them in registers.
  bool out_full = false;
  uint64_t count0 = 0, count1 = 0, count2 = 0, count3 = 0;
  size_t i = read;
  size_t candidates[kSteps * 64 + kListed];
  while (i + reach + kStep <= size && !out_full) {
    const size_t listed = ListCandidates<K>(bytes, size, reach, table, i, candidates);
    for (size_t c = 0; c < listed; ++c) {
      const size_t at = candidates[c];
      const size_t k = table.by_first[bytes[at]];
      if (at < read || !FindAt(bytes, at, table, k)) continue;
      const size_t gap = at - read;
      const size_t size_k = replacement_sizes[k];
      if (written + gap + size_k + kReplaceSlack > out_size) {
        out_full = true;
        break;
      }
      CopyBlocks(to + written, bytes + read, gap);
      written += gap;
      CopyBlocks(to + written, reinterpret_cast<const uint8_t*>(replacements[k]), size_k);
      written += size_k;
      read = at + table.length[k];
      count0 += k == 0;
      count1 += k == 1;
      count2 += k == 2;
      count3 += k == 3;
    }
  }
  const uint64_t counts[4] = {count0, count1, count2, count3};
  for (size_t k = 0; k < K; ++k) matches[k] += counts[k];
  return {read, written, out_full};
}

ReplacedAny ReplaceAny(const char* data, size_t size, size_t read,
                       const std::string_view* finds, size_t count,
                       const char* const* replacements,
                       const size_t* replacement_sizes, char* out,
                       size_t written, size_t out_size, uint64_t* matches) {
  switch (count) {
    case 1: return ReplaceAnyOf<1>(data, size, read, finds, replacements, replacement_sizes, out, written, out_size, matches);
    case 2: return ReplaceAnyOf<2>(data, size, read, finds, replacements, replacement_sizes, out, written, out_size, matches);
    case 3: return ReplaceAnyOf<3>(data, size, read, finds, replacements, replacement_sizes, out, written, out_size, matches);
    case 4: return ReplaceAnyOf<4>(data, size, read, finds, replacements, replacement_sizes, out, written, out_size, matches);
    default: return {read, written, false};
  }
}

// The units of one vector, their bytes in the given order.
template <class D16>
HWY_INLINE hn::Vec<D16> LoadUnits(D16 d16, const unsigned char* in, bool big_endian) {
  // Little-endian lanes: byte 2j is the low byte of lane j.
  const auto block = hn::BitCast(d16, hn::LoadU(hn::Repartition<uint8_t, D16>(), in));
  return big_endian ? hn::Or(hn::ShiftRight<8>(block), hn::ShiftLeft<8>(block)) : block;
}

// Converts half a vector of units, none a surrogate, to UTF-8 at out and
// returns how many bytes it wrote: each unit becomes a 32-bit word of its
// one to three UTF-8 bytes, and the bytes that belong to none are
// compressed away.
template <class DH>
HWY_INLINE size_t StoreUtf8Words(DH, hn::Vec<DH> units, unsigned char* out) {
  const hn::Repartition<uint32_t, hn::Twice<DH>> d32;
  const hn::Repartition<uint8_t, decltype(d32)> d8;
  const hn::RebindToSigned<decltype(d32)> di32;
  const auto u = hn::PromoteTo(d32, units);
  // Units fit in 16 bits: compared as signed 32-bit lanes (one instruction
  // where unsigned lanes would take three on some targets).
  const auto two = hn::RebindMask(d32, hn::Gt(hn::BitCast(di32, u), hn::Set(di32, 0x7F)));
  const auto three = hn::RebindMask(d32, hn::Gt(hn::BitCast(di32, u), hn::Set(di32, 0x7FF)));
  const auto low6 = hn::Or(hn::And(u, hn::Set(d32, 0x3F)), hn::Set(d32, 0x80));
  const auto mid6 =
      hn::Or(hn::And(hn::ShiftRight<6>(u), hn::Set(d32, 0x3F)), hn::Set(d32, 0x80));
  const auto lead = hn::IfThenElse(
      three, hn::Or(hn::ShiftRight<12>(u), hn::Set(d32, 0xE0)),
      hn::IfThenElse(two, hn::Or(hn::ShiftRight<6>(u), hn::Set(d32, 0xC0)), u));
  const auto second = hn::IfThenElse(three, mid6, low6);
  const auto words =
      hn::Or(lead, hn::Or(hn::ShiftLeft<8>(second), hn::ShiftLeft<16>(low6)));
  const auto kept = hn::Or(
      hn::Set(d32, 0xFF),
      hn::Or(hn::IfThenElseZero(two, hn::Set(d32, 0xFF00)),
             hn::IfThenElseZero(three, hn::Set(d32, 0xFF0000))));
  return StoreKept(d8, hn::BitCast(d8, words),
                   MaskBits(d8, hn::MaskFromVec(hn::BitCast(d8, kept))), out);
}

// Converts one vector of units to UTF-8 at out; false (nothing written)
// when it holds a surrogate. Units below U+0800 become the 16-bit word of
// their one or two UTF-8 bytes, the high byte of each ASCII unit
// compressed away; a vector with a unit of three bytes goes as two halves
// of 32-bit words, here rather than by the caller (text with signs like
// the euro's has one every few hundred units).
template <class D16>
HWY_INLINE bool TranscodeUnits(D16 d16, hn::Vec<D16> block, unsigned char*& out) {
  const hn::Repartition<uint8_t, D16> d8;
  const auto zero = hn::Zero(d16);
  // Bit tests rather than comparisons of unsigned lanes, which some
  // targets lack: a unit of three bytes or a surrogate has one of its top
  // five bits set; an ASCII one none of its top nine.
  const auto top5 = hn::And(block, hn::Set(d16, 0xF800));
  if (!hn::AllTrue(d16, hn::Eq(top5, zero))) {
    if (!hn::AllFalse(d16, hn::Eq(top5, hn::Set(d16, 0xD800)))) return false;
    const hn::Half<D16> half;
    out += StoreUtf8Words(half, hn::LowerHalf(half, block), out);
    out += StoreUtf8Words(half, hn::UpperHalf(half, block), out);
    return true;
  }
  const auto ascii = hn::Eq(hn::And(block, hn::Set(d16, 0xFF80)), zero);
  const auto lead = hn::Or(hn::ShiftRight<6>(block), hn::Set(d16, 0xC0));
  const auto trail = hn::Or(hn::And(block, hn::Set(d16, 0x3F)), hn::Set(d16, 0x80));
  const auto words = hn::IfThenElse(ascii, block, hn::Or(lead, hn::ShiftLeft<8>(trail)));
#if HWY_TARGET == HWY_AVX3_DL
  // The low byte always stays, the high one only for a two-byte unit.
  const auto keep = hn::IfThenElse(ascii, hn::Set(d16, 0x00FF), hn::Set(d16, 0xFFFF));
  out += StoreKept(d8, hn::BitCast(d8, words),
                   MaskBits(d8, hn::MaskFromVec(hn::BitCast(d8, keep))), out);
#else
  // Eight units (a 16-byte block) at a time, one shuffle each: the block's
  // byte of the ASCII mask picks the bytes that stay. Each store writes the
  // whole block, up to eight bytes past what stays.
  const uint64_t ascii_bits = MaskBits(d16, ascii);
  HWY_ALIGN uint8_t lanes[hn::MaxLanes(d8)];
  hn::Store(hn::BitCast(d8, words), d8, lanes);
  const hn::Full128<uint8_t> d16b;
  size_t at = 0;
  for (size_t block = 0; block < hn::Lanes(d8); block += 16) {
    const unsigned mask = static_cast<unsigned>(ascii_bits >> (block / 2)) & 0xFF;
    hn::StoreU(hn::TableLookupBytes(hn::Load(d16b, lanes + block),
                                    hn::Load(d16b, kPackIndices.bytes[mask])),
               d16b, out + at);
    at += kPackIndices.count[mask];
  }
  out += at;
#endif
  return true;
}

// While whole vectors of units hold no surrogate. Four vectors of ASCII
// units at once are narrowed to their bytes; otherwise each vector is
// converted on its own. (A test of each vector for ASCII alone would be
// foreseen by the processor neither in text with a letter like "é" every
// few dozen units nor in text without: a test of four is.)
size_t TranscodeUtf16Blocks(const unsigned char* in, size_t units,
                            bool big_endian, unsigned char*& out_end) {
  // The output position in a local: written back through the reference
  // only when done, not reloaded after every store of bytes.
  unsigned char* out = out_end;
  const D16 d16;
  const hn::RebindToSigned<D16> di16;
  const hn::Rebind<uint8_t, D16> narrow;
  const size_t n = hn::Lanes(d16);
  const auto non_ascii = hn::Set(d16, 0xFF80);
  size_t k = 0;
  for (; k + 4 * n <= units; k += 4 * n) {
    const auto b0 = LoadUnits(d16, in + 2 * k, big_endian);
    const auto b1 = LoadUnits(d16, in + 2 * (k + n), big_endian);
    const auto b2 = LoadUnits(d16, in + 2 * (k + 2 * n), big_endian);
    const auto b3 = LoadUnits(d16, in + 2 * (k + 3 * n), big_endian);
    if (hn::AllTrue(d16, hn::Eq(hn::And(hn::Or(hn::Or(b0, b1), hn::Or(b2, b3)), non_ascii),
                                hn::Zero(d16)))) {
      hn::StoreU(hn::DemoteTo(narrow, hn::BitCast(di16, b0)), narrow, out);
      hn::StoreU(hn::DemoteTo(narrow, hn::BitCast(di16, b1)), narrow, out + n);
      hn::StoreU(hn::DemoteTo(narrow, hn::BitCast(di16, b2)), narrow, out + 2 * n);
      hn::StoreU(hn::DemoteTo(narrow, hn::BitCast(di16, b3)), narrow, out + 3 * n);
      out += 4 * n;
      continue;
    }
    // One vector at a time, loaded again: four held across the conversion
    // would crowd the registers.
    size_t j = 0;
    for (; j < 4 * n; j += n) {
      if (!TranscodeUnits(d16, LoadUnits(d16, in + 2 * (k + j), big_endian), out)) break;
    }
    if (j < 4 * n) {
      out_end = out;
      return k + j;
    }
  }
  for (; k + n <= units; k += n) {
    if (!TranscodeUnits(d16, LoadUnits(d16, in + 2 * k, big_endian), out)) break;
  }
  out_end = out;
  return k;
}

size_t WidenAscii(const unsigned char* in, size_t size, char16_t* out) {
  const D16 d16;
  const hn::Rebind<uint8_t, D16> narrow;
  const size_t n = hn::Lanes(d16);
  const auto ascii_limit = hn::Set(d16, 0x7F);
  auto* units = reinterpret_cast<uint16_t*>(out);
  size_t i = 0;
  for (; i + n <= size; i += n) {
    const auto wide = hn::PromoteTo(d16, hn::LoadU(narrow, in + i));
    if (!hn::AllFalse(d16, hn::Gt(wide, ascii_limit))) break;
    hn::StoreU(wide, d16, units + i);
  }
  return i;
}

size_t AsciiPrefix(const unsigned char* in, size_t size) {
  const D8 d;
  const hn::RebindToSigned<D8> di;
  const size_t n = hn::Lanes(d);
  size_t i = 0;
  for (; i + 4 * n <= size; i += 4 * n) {
    const auto any = hn::Or(hn::Or(hn::LoadU(d, in + i), hn::LoadU(d, in + i + n)),
                            hn::Or(hn::LoadU(d, in + i + 2 * n),
                                   hn::LoadU(d, in + i + 3 * n)));
    if (!hn::AllFalse(di, hn::Lt(hn::BitCast(di, any), hn::Zero(di)))) break;
  }
  for (; i + n <= size; i += n) {
    const auto v = hn::BitCast(di, hn::LoadU(d, in + i));
    if (!hn::AllFalse(di, hn::Lt(v, hn::Zero(di)))) break;
  }
  return i;
}

#endif  // HWY_TARGET == HWY_SCALAR

// NOLINTNEXTLINE(google-readability-namespace-comments)
}  // namespace HWY_NAMESPACE
}  // namespace tarnwick::vector
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace tarnwick::vector {

HWY_EXPORT(CompactBlocks);
HWY_EXPORT(SqueezeSpaceBlocks);
HWY_EXPORT(RemoveEmptyLineBlocks);
HWY_EXPORT(FindAll);
HWY_EXPORT(FindAny);
HWY_EXPORT(ReplaceAny);
HWY_EXPORT(TranscodeUtf16Blocks);
HWY_EXPORT(WidenAscii);
HWY_EXPORT(AsciiPrefix);

Compacted CompactBlocks(char* data, std::size_t size,
                        const std::array<bool, 256>& stays) {
  return HWY_DYNAMIC_DISPATCH(CompactBlocks)(data, size, stays);
}

Compacted SqueezeSpaceBlocks(char* data, std::size_t size, bool& after_space) {
  return HWY_DYNAMIC_DISPATCH(SqueezeSpaceBlocks)(data, size, after_space);
}

Compacted RemoveEmptyLineBlocks(char* data, std::size_t size,
                                LineEnds& line_ends) {
  return HWY_DYNAMIC_DISPATCH(RemoveEmptyLineBlocks)(data, size, line_ends);
}

std::size_t FindAll(const char* data, std::size_t size, std::size_t from,
                    std::string_view needle, std::size_t* positions,
                    std::size_t capacity) {
  return HWY_DYNAMIC_DISPATCH(FindAll)(data, size, from, needle, positions,
                                       capacity);
}

FoundAny FindAny(const char* data, std::size_t size, std::size_t from,
                 const std::string_view* finds, std::size_t count,
                 std::size_t* positions, unsigned char* which,
                 std::size_t capacity) {
  return HWY_DYNAMIC_DISPATCH(FindAny)(data, size, from, finds, count, positions,
                                       which, capacity);
}

ReplacedAny ReplaceAny(const char* data, std::size_t size, std::size_t read,
                       const std::string_view* finds, std::size_t count,
                       const char* const* replacements,
                       const std::size_t* replacement_sizes, char* out,
                       std::size_t written, std::size_t out_size,
                       std::uint64_t* matches) {
  return HWY_DYNAMIC_DISPATCH(ReplaceAny)(data, size, read, finds, count,
                                          replacements, replacement_sizes, out,
                                          written, out_size, matches);
}

std::size_t TranscodeUtf16Blocks(const unsigned char* in, std::size_t units,
                                 bool big_endian, unsigned char*& out) {
  return HWY_DYNAMIC_DISPATCH(TranscodeUtf16Blocks)(in, units, big_endian, out);
}

std::size_t WidenAscii(const unsigned char* in, std::size_t size,
                       char16_t* out) {
  return HWY_DYNAMIC_DISPATCH(WidenAscii)(in, size, out);
}

std::size_t AsciiPrefix(const unsigned char* in, std::size_t size) {
  return HWY_DYNAMIC_DISPATCH(AsciiPrefix)(in, size);
}

}  // namespace tarnwick::vector
#endif  // HWY_ONCE
