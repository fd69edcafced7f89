#include "engine/file_content.h"

#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "batch/file_error.h"
#include "batch/path_helpers.h"
#include "batch/unique_fd.h"

namespace tarnwick {
namespace {

constexpr const char* kCannotRead = "Cannot read";

// Large buffers are faulted in far faster as huge pages; a hint only.
void AdviseHugePages(std::string& buffer) {
  constexpr std::uintptr_t kHuge = 2u << 20;
  if (buffer.capacity() < 2 * kHuge) return;
  const auto begin = reinterpret_cast<std::uintptr_t>(buffer.data());
  const std::uintptr_t first = (begin + kHuge - 1) & ~(kHuge - 1);
  const std::uintptr_t last = (begin + buffer.capacity()) & ~(kHuge - 1);
  if (last > first) {
    ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
  }
}

}  // namespace

std::string ReadWholeFile(const std::string& path) {
  if (!PathExists(path)) return std::string();
  UniqueFd file(
      ::open(path.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
  if (file.get() < 0) throw FileError::FromErrno(kCannotRead, path, errno);
  struct stat info {};
  if (::fstat(file.get(), &info) != 0) {
    throw FileError::FromErrno(kCannotRead, path, errno);
  }
  if (S_ISDIR(info.st_mode)) throw FileError::FromErrno(kCannotRead, path, EISDIR);
  if (!S_ISREG(info.st_mode)) {
    throw FileError(kCannotRead, path, "it is not a regular file", EINVAL);
  }
  std::string bytes;
  const std::size_t expected =
      info.st_size > 0 ? static_cast<std::size_t>(info.st_size) : 0;
  // One byte more than expected, so that reaching the end needs no regrowth.
  bytes.reserve(expected + 1);
  AdviseHugePages(bytes);
  bytes.resize(expected + 1);
  std::size_t filled = 0;
  for (;;) {
    if (filled == bytes.size()) bytes.resize(bytes.size() * 2);  // it grew
    const ssize_t got =
        ::read(file.get(), bytes.data() + filled, bytes.size() - filled);
    if (got < 0) {
      if (errno == EINTR) continue;
      throw FileError::FromErrno(kCannotRead, path, errno);
    }
    if (got == 0) break;
    filled += static_cast<std::size_t>(got);
  }
  bytes.resize(filled);
  return bytes;
}

}  // namespace tarnwick
