// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "engine/byte_compaction.h"

#include <cstdint>
#include <cstring>

#include "engine/vector_kernels.h"
#include "engine/vector_loops.h"

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

}  // namespace

// The vector loops leave data[kept, read) free and data[read, size) as it
// was; the portable loop finishes the rest where the vector loops stopped.
std::size_t CompactBytes(char* data, std::size_t size,
                         const std::array<bool, 256>& stays) {
  if (!UseVectorLoops()) return CompactBytesScalar(data, size, stays);
  const vector::Compacted done = vector::CompactBlocks(data, size, stays);
  const std::size_t rest =
      CompactBytesScalar(data + done.read, size - done.read, stays);
  if (done.kept != done.read) std::memmove(data + done.kept, data + done.read, rest);
  return done.kept + rest;
}

std::size_t RemoveEmptyLineBytes(char* data, std::size_t size,
                                 bool follows_line_end) {
  LineEndState state{follows_line_end, follows_line_end, false};
  if (!UseVectorLoops()) {
    return RemoveEmptyLineBytesScalar(data, size, 0, 0, state);
  }
  vector::LineEnds line_ends{follows_line_end, follows_line_end, false};
  const vector::Compacted done =
      vector::RemoveEmptyLineBlocks(data, size, line_ends);
  state = {line_ends.lf1, line_ends.lf2, line_ends.cr1};
  return RemoveEmptyLineBytesScalar(data, size, done.read, done.kept, state);
}

std::size_t SqueezeSpaceBytes(char* data, std::size_t size,
                              bool follows_space) {
  if (!UseVectorLoops()) return SqueezeSpaceBytesScalar(data, size, follows_space);
  bool after_space = follows_space;
  const vector::Compacted done = vector::SqueezeSpaceBlocks(data, size, after_space);
  const std::size_t rest =
      SqueezeSpaceBytesScalar(data + done.read, size - done.read, after_space);
  if (done.kept != done.read) std::memmove(data + done.kept, data + done.read, rest);
  return done.kept + rest;
}

}  // namespace tarnwick
