// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// A buffer of bytes that is never zero-filled, for bytes that are always
// written before they are read (what a read() or a copy puts there).
// std::string(n, '\0') or std::vector<char>(n) writes every byte first:
// for a buffer of a MiB around a file of a few KiB that costs more than
// the file, and once the allocator has handed the memory back to the
// system, every page of it is faulted in again for the next file.
#ifndef TARNWICK_ENGINE_BYTE_BUFFER_H_
#define TARNWICK_ENGINE_BYTE_BUFFER_H_

#include <cstddef>
#include <cstring>
#include <memory>
#include <utility>

namespace tarnwick {

class ByteBuffer {
 public:
  ByteBuffer() = default;
  explicit ByteBuffer(std::size_t size)
      : bytes_(std::make_unique_for_overwrite<char[]>(size)), size_(size) {}

  char* data() { return bytes_.get(); }
  const char* data() const { return bytes_.get(); }
  std::size_t size() const { return size_; }

  // Grows to size bytes (a smaller size changes nothing), keeping the
  // first `keep` bytes; the others are undefined.
  void Grow(std::size_t size, std::size_t keep) {
    if (size <= size_) return;
    auto bigger = std::make_unique_for_overwrite<char[]>(size);
    if (keep != 0) std::memcpy(bigger.get(), bytes_.get(), keep);
    bytes_ = std::move(bigger);
    size_ = size;
  }

 private:
  std::unique_ptr<char[]> bytes_;
  std::size_t size_ = 0;
};

}  // namespace tarnwick

#endif  // TARNWICK_ENGINE_BYTE_BUFFER_H_
