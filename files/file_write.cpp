#include "files/file_write.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <vector>

#include "files/file_error.h"
#include "files/pending_replacement.h"
#include "files/unique_fd.h"

namespace tarnwick {
namespace {

constexpr char kCannotRead[] = "Cannot read";
constexpr std::size_t kMaxChunk = 1u << 30;
constexpr std::size_t kCompareChunk = 1u << 20;

// Reads up to size bytes at data; fewer only at the end of the file.
// Returns the count, or -1 with errno set.
ssize_t ReadFull(int fd, char* data, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    const std::size_t want = size - done < kMaxChunk ? size - done : kMaxChunk;
    const ssize_t got = read(fd, data + done, want);
    if (got < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (got == 0) break;
    done += static_cast<std::size_t>(got);
  }
  return static_cast<ssize_t>(done);
}

// Large buffers are faulted in far faster as huge pages; a hint only.
void AdviseHugePages(std::string& buffer) {
  constexpr std::uintptr_t kHuge = 2u << 20;
  if (buffer.capacity() < 2 * kHuge) return;
  const auto begin = reinterpret_cast<std::uintptr_t>(buffer.data());
  const std::uintptr_t first = (begin + kHuge - 1) & ~(kHuge - 1);
  const std::uintptr_t last = (begin + buffer.capacity()) & ~(kHuge - 1);
  if (last > first) {
    madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
  }
}

// True when the regular file at path holds exactly bytes. Any failure to
// read it answers false, so that the caller goes on to write.
bool HoldsBytes(const std::string& path, std::string_view bytes) {
  UniqueFd file(open(path.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
  if (file.get() < 0) return false;
  std::vector<char> buffer(kCompareChunk);
  std::size_t offset = 0;
  for (;;) {
    const ssize_t got = ReadFull(file.get(), buffer.data(), buffer.size());
    if (got < 0) return false;
    const auto count = static_cast<std::size_t>(got);
    if (count > bytes.size() - offset ||
        std::memcmp(buffer.data(), bytes.data() + offset, count) != 0) {
      return false;
    }
    offset += count;
    if (count < buffer.size()) return offset == bytes.size();
  }
}

}  // namespace

void ReplaceFileContents(const std::string& path, std::string_view bytes,
                         const ReplaceOptions& options) {
  // Content that would not change is left alone: no write, no new inode,
  // and no refusal of a read-only file that the operation did not touch.
  if (!path.empty() && path.find('\0') == std::string::npos) {
    const std::string target = ResolveLinks(path);
    struct stat old;
    if (stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode) &&
        static_cast<std::size_t>(old.st_size) == bytes.size() &&
        (!options.mode || (*options.mode & 07777) == (old.st_mode & 07777)) &&
        HoldsBytes(target, bytes)) {
      return;
    }
  }
  PendingReplacement replacement(path, options.mode);
  replacement.Write(bytes);
  replacement.Commit();
}

std::string ReadFileBytes(const std::string& path) {
  if (path.find('\0') != std::string::npos) {
    throw FileError(kCannotRead, path, "the path holds a zero byte", EINVAL);
  }
  UniqueFd file(open(path.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
  if (file.get() < 0) throw FileError::FromErrno(kCannotRead, path, errno);
  struct stat info;
  if (fstat(file.get(), &info) != 0) {
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
        read(file.get(), bytes.data() + filled, bytes.size() - filled);
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
