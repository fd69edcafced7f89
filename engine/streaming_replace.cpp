// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "engine/streaming_replace.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "engine/byte_search.h"
#include "engine/vector_kernels.h"
#include "engine/vector_loops.h"

namespace tarnwick {
namespace {

// All buffers between passes together, when the room is chosen here.
constexpr std::size_t kBufferBudget = 32u << 20;
constexpr std::size_t kMinRoom = 256;
constexpr std::size_t kMaxRoom = 1u << 20;
constexpr std::size_t kOutputRoom = 1u << 20;
constexpr std::size_t kBatch = 256;  // match positions found at a time

// memcpy for the many short stretches between matches, without a call.
inline void CopyBytes(char* to, const char* from, std::size_t count) {
  if (count > 32) {
    std::memcpy(to, from, count);
  } else if (count >= 16) {
    std::memcpy(to, from, 16);
    std::memcpy(to + count - 16, from + count - 16, 16);
  } else if (count >= 8) {
    std::memcpy(to, from, 8);
    std::memcpy(to + count - 8, from + count - 8, 8);
  } else if (count >= 4) {
    std::memcpy(to, from, 4);
    std::memcpy(to + count - 4, from + count - 4, 4);
  } else {
    for (std::size_t k = 0; k < count; ++k) to[k] = from[k];
  }
}

// For the many short copies of a scan: blocks of whole kSlack and half
// kSlack bytes, reading and writing up to kSlack bytes past count.
constexpr std::size_t kSlack = 64;
inline void CopyWithSlack(char* to, const char* from, std::size_t count) {
  std::memcpy(to, from, kSlack);
  for (std::size_t done = kSlack; done < count; done += kSlack / 2) {
    std::memcpy(to + done, from + done, kSlack / 2);
  }
}

}  // namespace

ReplaceChain::ReplaceChain(std::vector<Pair> pairs, Sink sink, std::size_t room)
    : sink_(std::move(sink)), room_(room) {
  const bool chosen = room_ == 0;
  if (chosen) {
    room_ = std::clamp(kBufferBudget / std::max<std::size_t>(pairs.size(), 1),
                       kMinRoom, kMaxRoom);
    out_room_ = kOutputRoom;
  } else {
    out_room_ = room_;
  }
  passes_.resize(pairs.size());
  for (std::size_t k = 0; k < pairs.size(); ++k) {
    Pass& pass = passes_[k];
    pass.find = std::move(pairs[k].first);
    pass.replacement = std::move(pairs[k].second);
    pass.find_has_line_feed = pass.find.find('\n') != std::string::npos;
    // Pass 0 reads the pieces themselves and keeps only what it holds back.
    if (k == 0) pass.input.resize(pass.find.size());
  }
  at_once_ = PassesMayRunAsOne(passes_);
  if (at_once_) {
    for (Pass& pass : passes_) {
      pass.padded_replacement = pass.replacement;
      pass.padded_replacement.resize(pass.replacement.size() + kSlack);
    }
  }
  // A room that was given is there from the start; a chosen one grows with
  // the pieces (MakeRoom).
  MakeRoom(chosen ? 0 : std::max(room_, out_room_));
}

void ReplaceChain::MakeRoom(std::size_t piece) {
  // In steps of whole pages, at least kMinRoom: pieces of a few bytes more
  // each time do not regrow every buffer.
  constexpr std::size_t kStep = 4096;
  const std::size_t want = std::max((piece + kStep - 1) & ~(kStep - 1), kMinRoom);
  if (want <= grown_) return;
  grown_ = want;
  // What the buffers hold is kept; every pass has handed on its data, so
  // nothing points into them.
  out_.resize(std::min(want, out_room_));
  if (at_once_) return;  // no buffers between passes
  for (std::size_t k = 1; k < passes_.size(); ++k) {
    passes_[k].input.resize(std::min(want, room_) + passes_[k].find.size());
  }
}

bool ReplaceChain::MayHaveJoined() const {
  for (std::size_t k = 0; k + 1 < passes_.size(); ++k) {
    if (passes_[k].may_have_joined) return true;
  }
  return false;
}

void ReplaceChain::Feed(std::string_view piece, bool last) {
  if (passes_.empty()) {
    if (!piece.empty()) sink_(piece);
    return;
  }
  MakeRoom(piece.size());
  Pass& first = passes_.front();
  std::string_view data = piece;
  if (first.filled != 0) {
    // Bytes held back from the last piece go first; the piece is bounded.
    const std::size_t size = first.filled + piece.size();
    if (first.input.size() < size) first.input.resize(size);
    std::memcpy(first.input.data() + first.filled, piece.data(), piece.size());
    data = std::string_view(first.input.data(), size);
  }
  if (at_once_) {
    FeedAtOnce(data, last);
  } else {
    Pump(data, last);
  }
  Flush();
}

// The passes may run as one scan when no find shares a byte with another
// find or with the replacement of an earlier pass, and every pass but the
// last puts something in place of its matches. Then no occurrence of one
// find overlaps an occurrence of another, no pass matches within what an
// earlier one put in, and no removal brings bytes of the input together:
// each pass meets in its input exactly the occurrences of its find in the
// chain's input, and selects among them what a left-to-right search for
// its find alone selects there. The result is the input with all those
// occurrences replaced at once, in one copy instead of one per pass.
bool ReplaceChain::PassesMayRunAsOne(const std::vector<Pass>& passes) {
  if (passes.size() > kMaxFinds) return false;
  std::array<bool, 256> in_finds{};
  std::array<bool, 256> in_replacements{};  // of the passes before
  for (std::size_t k = 0; k < passes.size(); ++k) {
    const Pass& pass = passes[k];
    for (const char c : pass.find) {
      const auto b = static_cast<unsigned char>(c);
      if (in_replacements[b]) return false;
    }
    std::array<bool, 256> mine{};
    for (const char c : pass.find) mine[static_cast<unsigned char>(c)] = true;
    for (std::size_t b = 0; b < 256; ++b) {
      if (mine[b] && in_finds[b]) return false;
      in_finds[b] = in_finds[b] || mine[b];
    }
    if (k + 1 < passes.size() && pass.replacement.empty()) return false;
    for (const char c : pass.replacement) {
      in_replacements[static_cast<unsigned char>(c)] = true;
    }
  }
  return true;
}

void ReplaceChain::FeedAtOnce(std::string_view data, bool last) {
  // What the scan needs of each pass, in locals: the compiler keeps them
  // (and the output's fill) in registers, where the bytes written through
  // char pointers would otherwise make it reload each member per match.
  const std::size_t count = passes_.size();
  std::string_view finds[kMaxFinds];
  const char* replacement[kMaxFinds] = {};
  std::size_t replacement_size[kMaxFinds] = {};
  std::size_t find_size[kMaxFinds] = {};
  std::size_t longest = 0;
  bool find_has_line_feed = false;
  for (std::size_t k = 0; k < count; ++k) {
    finds[k] = passes_[k].find;
    replacement[k] = passes_[k].padded_replacement.data();
    replacement_size[k] = passes_[k].replacement.size();
    find_size[k] = finds[k].size();
    longest = std::max(longest, finds[k].size());
    find_has_line_feed = find_has_line_feed || passes_[k].find_has_line_feed;
  }
  std::uint64_t matches[kMaxFinds] = {};
  std::size_t hits[kBatch];
  unsigned char which[kBatch];
  std::size_t read = 0;
  if (UseVectorLoops()) {
    // The vector loop replaces while the data and the output's room last,
    // the output sent on whenever it fills; the loop below finishes.
    static_assert(kSlack == vector::kReplaceSlack);
    for (;;) {
      const vector::ReplacedAny done = vector::ReplaceAny(
          data.data(), data.size(), read, finds, count, replacement,
          replacement_size, out_.data(), out_filled_, out_.size(), matches);
      read = done.read;
      out_filled_ = done.written;
      if (!done.out_full || out_filled_ == 0) break;
      Flush();
    }
  }
  for (;;) {
    const std::size_t found =
        FindAnyBytes(data, read, finds, count, hits, which, kBatch);
    char* const out = out_.data();
    std::size_t filled = out_filled_;
    const std::size_t out_size = out_.size();
    for (std::size_t h = 0; h < found; ++h) {
      const std::size_t k = which[h];
      const std::size_t gap = hits[h] - read;
      const std::size_t size = replacement_size[k];
      if (hits[h] + kSlack <= data.size() &&
          filled + gap + size + kSlack <= out_size) {
        // Most matches: no turns, the copies run on into the slack.
        CopyWithSlack(out + filled, data.data() + read, gap);
        filled += gap;
        CopyWithSlack(out + filled, replacement[k], size);
        filled += size;
      } else {
        out_filled_ = filled;
        Emit(data.data() + read, gap);
        Emit(passes_[k].replacement.data(), size);
        filled = out_filled_;
      }
      read = hits[h] + find_size[k];
      for (std::size_t j = 0; j < kMaxFinds; ++j) matches[j] += j == k;
    }
    out_filled_ = filled;
    if (found < kBatch) break;
  }
  for (std::size_t k = 0; k < count; ++k) passes_[k].matches += matches[k];
  // As a pass holds back (Step): what might begin a match of the longest
  // find that reaches into the next piece.
  const std::size_t rest = data.size() - read;
  std::size_t hold = std::min(rest, longest - 1);
  if (!find_has_line_feed && !data.empty() && data.back() == '\n') hold = 0;
  if (last) hold = 0;
  Emit(data.data() + read, rest - hold);
  Pass& first = passes_.front();
  if (hold != 0) {
    if (first.input.size() < hold) first.input.resize(hold);
    std::memmove(first.input.data(), data.data() + data.size() - hold, hold);
  }
  first.filled = hold;
}

inline void ReplaceChain::Emit(const char* bytes, std::size_t count) {
  if (count > out_.size() - out_filled_) {
    Flush();
    // What would fill the buffer goes on straight from where it is.
    if (count >= out_.size()) {
      sink_(std::string_view(bytes, count));
      return;
    }
  }
  CopyBytes(out_.data() + out_filled_, bytes, count);
  out_filled_ += count;
}

void ReplaceChain::Pump(std::string_view data, bool last) {
  auto begin = [&](std::size_t k, std::string_view bytes, bool is_last) {
    Pass& pass = passes_[k];
    pass.data = bytes;
    pass.read = 0;
    pass.last = is_last;
  };
  begin(0, data, last);
  std::size_t k = 0;
  for (;;) {
    if (Step(k)) {
      if (k + 1 < passes_.size()) {
        // The next pass takes what this one gave; it has all there is when
        // no pass before it is held up.
        Pass& next = passes_[k + 1];
        begin(k + 1, std::string_view(next.input.data(), next.filled),
              last && waiting_.empty());
        ++k;
        continue;
      }
      if (waiting_.empty()) return;
      k = waiting_.back();  // go on with the nearest pass held up
      waiting_.pop_back();
    } else if (k + 1 < passes_.size()) {
      // The buffer after pass k is full: let the next pass empty it.
      waiting_.push_back(k);
      Pass& next = passes_[k + 1];
      begin(k + 1, std::string_view(next.input.data(), next.filled), false);
      ++k;
    } else {
      Flush();
    }
  }
}

bool ReplaceChain::Step(std::size_t k) {
  Pass& pass = passes_[k];
  if (!HandOn(pass, k)) return false;
  const std::string_view data = pass.data;
  const std::size_t m = pass.find.size();
  const Then then = pass.replacement.empty() ? Then::kRemoval : Then::kReplacement;
  std::size_t hits[kBatch];
  for (;;) {
    const std::size_t found = FindAllBytes(data, pass.read, pass.find, hits, kBatch);
    for (std::size_t h = 0; h < found; ++h) {
      // Most matches: the bytes before it and the replacement fit into the
      // buffer after this pass; the same as HandOn, without its turns.
      const std::size_t gap = hits[h] - pass.read;
      if (Room(k) >= gap + pass.replacement.size()) {
        PutFitting(pass, k, data.data() + pass.read, gap);
        if (then == Then::kRemoval) {
          pass.after_removal = true;
        } else {
          PutFitting(pass, k, pass.replacement.data(), pass.replacement.size());
        }
        pass.read = hits[h] + m;
        ++pass.matches;
        continue;
      }
      pass.pending = data.data() + pass.read;
      pass.pending_count = hits[h] - pass.read;
      pass.then = then;
      pass.read = hits[h] + m;
      ++pass.matches;
      if (!HandOn(pass, k)) return false;
    }
    if (found < kBatch) break;
  }
  // A match that starts in the last m - 1 bytes might reach into the next
  // piece: hold those bytes back. It cannot when the data ends with an LF
  // that the find text lacks, since the match would have to hold that LF.
  const std::size_t rest = data.size() - pass.read;
  std::size_t hold = std::min(rest, m - 1);
  if (!pass.find_has_line_feed && !data.empty() && data.back() == '\n') hold = 0;
  if (pass.last) hold = 0;
  pass.pending = data.data() + pass.read;
  pass.pending_count = rest - hold;
  pass.then = Then::kNothing;
  pass.read = data.size() - hold;
  if (!HandOn(pass, k)) return false;
  if (hold != 0) {
    if (pass.input.size() < hold) pass.input.resize(hold);
    std::memmove(pass.input.data(), data.data() + data.size() - hold, hold);
  }
  pass.filled = hold;
  pass.data = std::string_view();
  pass.read = 0;
  return true;
}

inline bool ReplaceChain::HandOn(Pass& pass, std::size_t k) {
  for (;;) {
    if (pass.pending_count != 0) {
      const std::size_t put = Put(pass, k, pass.pending, pass.pending_count);
      pass.pending += put;
      pass.pending_count -= put;
      if (pass.pending_count != 0) return false;
    }
    const Then then = pass.then;
    pass.then = Then::kNothing;
    if (then == Then::kNothing) return true;
    if (then == Then::kRemoval) {
      pass.after_removal = true;
      return true;
    }
    pass.pending = pass.replacement.data();
    pass.pending_count = pass.replacement.size();
  }
}

inline std::size_t ReplaceChain::Room(std::size_t k) const {
  return k + 1 < passes_.size()
             ? passes_[k + 1].input.size() - passes_[k + 1].filled
             : out_.size() - out_filled_;
}

inline void ReplaceChain::PutFitting(Pass& pass, std::size_t k,
                                     const char* bytes, std::size_t count) {
  if (count == 0) return;
  const bool to_pass = k + 1 < passes_.size();
  char* buffer = to_pass ? passes_[k + 1].input.data() : out_.data();
  std::size_t& filled = to_pass ? passes_[k + 1].filled : out_filled_;
  const auto first = static_cast<unsigned char>(bytes[0]);
  if (pass.after_removal && pass.last_emitted >= 0x80 && (first & 0xC0) == 0x80) {
    pass.may_have_joined = true;
  }
  pass.after_removal = false;
  pass.last_emitted = static_cast<unsigned char>(bytes[count - 1]);
  CopyBytes(buffer + filled, bytes, count);
  filled += count;
}

inline std::size_t ReplaceChain::Put(Pass& pass, std::size_t k,
                                     const char* bytes, std::size_t count) {
  const bool to_pass = k + 1 < passes_.size();
  std::string& buffer = to_pass ? passes_[k + 1].input : out_;
  std::size_t& filled = to_pass ? passes_[k + 1].filled : out_filled_;
  const std::size_t take = std::min(count, buffer.size() - filled);
  if (take == 0) return 0;
  const auto first = static_cast<unsigned char>(bytes[0]);
  if (pass.after_removal && pass.last_emitted >= 0x80 && (first & 0xC0) == 0x80) {
    pass.may_have_joined = true;
  }
  pass.after_removal = false;
  pass.last_emitted = static_cast<unsigned char>(bytes[take - 1]);
  CopyBytes(buffer.data() + filled, bytes, take);
  filled += take;
  return take;
}

std::vector<std::uint64_t> ReplaceChain::Matches() const {
  std::vector<std::uint64_t> matches;
  matches.reserve(passes_.size());
  for (const Pass& pass : passes_) matches.push_back(pass.matches);
  return matches;
}

void ReplaceChain::Flush() {
  if (out_filled_ == 0) return;
  sink_(std::string_view(out_.data(), out_filled_));
  out_filled_ = 0;
}

}  // namespace tarnwick
