// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// Dropping bytes from a byte string in place, with the vector loops
// (vector_loops.h: compression of the kept bytes) or byte by byte. The
// byte-level cores of the character filters, the space squeezer and the
// empty-line remover.
#ifndef TARNWICK_ENGINE_BYTE_COMPACTION_H_
#define TARNWICK_ENGINE_BYTE_COMPACTION_H_

#include <array>
#include <cstddef>

namespace tarnwick {

// Keeps byte b where stays[b] is true, in order; returns the new length.
// stays must give the same answer for every byte from 0x80 to 0xFF.
std::size_t CompactBytes(char* data, std::size_t size,
                         const std::array<bool, 256>& stays);

// Drops every space that follows a space (the first byte too when
// follows_space); returns the new length.
std::size_t SqueezeSpaceBytes(char* data, std::size_t size,
                              bool follows_space = false);

// Line ends are CR LF and LF. Drops every line end that directly follows
// another one (or, when follows_line_end, starts the data); returns the new
// length.
std::size_t RemoveEmptyLineBytes(char* data, std::size_t size,
                                 bool follows_line_end);

}  // namespace tarnwick

#endif  // TARNWICK_ENGINE_BYTE_COMPACTION_H_
