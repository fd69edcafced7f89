// Dropping bytes from a byte string in place, vectorised where the processor
// allows (AVX-512 with byte compression) and byte by byte elsewhere. The
// byte-level cores of the character filters and the space squeezer.
#ifndef TARNWICK_ENGINE_BYTE_COMPACTION_H_
#define TARNWICK_ENGINE_BYTE_COMPACTION_H_

#include <array>
#include <cstddef>

namespace tarnwick {

// Keeps byte b where stays[b] is true, in order; returns the new length.
// stays must give the same answer for every byte from 0x80 to 0xFF.
std::size_t CompactBytes(char* data, std::size_t size,
                         const std::array<bool, 256>& stays);

// Drops every space that follows a space; returns the new length.
std::size_t SqueezeSpaceBytes(char* data, std::size_t size);

}  // namespace tarnwick

#endif  // TARNWICK_ENGINE_BYTE_COMPACTION_H_
