#include "files/pending_replacement.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <random>
#include <vector>

#include "files/file_error.h"
#include "files/path_helpers.h"

namespace tarnwick {
namespace {

constexpr char kCannotWrite[] = "Cannot write";
constexpr int kMaxLinkHops = 40;         // the kernel's own limit
constexpr int kMaxNameAttempts = 100;    // tries for a free temporary name
constexpr std::size_t kMaxChunk = 1u << 30;  // one write() call at most
constexpr std::size_t kCopyBuffer = 1u << 20;

// The folder that holds path, "./" standing for the current folder.
std::string FolderOf(const std::string& path) {
  const std::string folder = GetFolderPart(path);
  return folder.empty() ? std::string("./") : folder;
}

std::string RandomSuffix() {
  thread_local std::mt19937_64 generator(
      std::random_device{}() ^
      static_cast<std::uint64_t>(
          std::chrono::steady_clock::now().time_since_epoch().count()) ^
      (static_cast<std::uint64_t>(getpid()) << 32));
  char text[17];
  std::snprintf(text, sizeof text, "%016llx",
                static_cast<unsigned long long>(generator()));
  return text;
}

}  // namespace

std::string ResolveLinks(const std::string& path) {
  std::string current = path;
  for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
    struct stat info;
    if (lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
      return current;
    }
    std::vector<char> buffer(static_cast<std::size_t>(info.st_size) + 256);
    const ssize_t length = readlink(current.c_str(), buffer.data(), buffer.size());
    if (length < 0) throw FileError::FromErrno(kCannotWrite, path, errno);
    std::string link(buffer.data(), static_cast<std::size_t>(length));
    current = (!link.empty() && link.front() == '/')
                  ? link
                  : GetFolderPart(current) + link;
  }
  throw FileError::FromErrno(kCannotWrite, path, ELOOP);
}

PendingReplacement::PendingReplacement(const std::string& path,
                                       std::optional<mode_t> mode)
    : path_(path) {
  if (path.empty()) throw FileError::FromErrno(kCannotWrite, path, ENOENT);
  if (path.find('\0') != std::string::npos) {
    throw FileError(kCannotWrite, path, "the path holds a zero byte", EINVAL);
  }
  target_ = ResolveLinks(path);

  struct stat old;
  const bool exists = stat(target_.c_str(), &old) == 0;
  if (!exists && errno != ENOENT) {
    throw FileError::FromErrno(kCannotWrite, path, errno);
  }
  if (exists) {
    if (S_ISDIR(old.st_mode)) throw FileError::FromErrno(kCannotWrite, path, EISDIR);
    if (!S_ISREG(old.st_mode)) {
      throw FileError(kCannotWrite, path, "it is not a regular file", EINVAL);
    }
    if ((old.st_mode & S_IWUSR) == 0) {
      throw FileError(kCannotWrite, path, "the file is read-only", EACCES);
    }
    // Ask the system whether it would let us write the old file (without
    // truncating it); a rename would otherwise bypass its refusal.
    const int probe =
        open(target_.c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (probe < 0) throw FileError::FromErrno(kCannotWrite, path, errno);
    close(probe);
    if (!mode) mode = old.st_mode & 07777;
  }
  replaces_existing_ = exists;

  // With bits to set, the new file starts private to us, so that nobody
  // can open it in between and read what it is given later. Without, the
  // umask decides, as for any new file.
  const mode_t initial = mode ? 0600 : 0666;
  const std::string folder = FolderOf(target_);
  for (int attempt = 0; attempt < kMaxNameAttempts && fd_ < 0; ++attempt) {
    std::string candidate = folder + ".tarnwick-" + RandomSuffix();
    fd_ = open(candidate.c_str(),
               O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, initial);
    if (fd_ >= 0) {
      temporary_ = std::move(candidate);
    } else if (errno != EEXIST) {
      if (errno == ENOENT) {
        throw FileError(kCannotWrite, path,
                        "the folder " + folder + " does not exist", ENOENT);
      }
      throw FileError::FromErrno(kCannotWrite, path, errno);
    }
  }
  if (fd_ < 0) throw FileError::FromErrno(kCannotWrite, path, EEXIST);

  if (exists && (old.st_uid != geteuid() || old.st_gid != getegid())) {
    // Keep the old owner where the system allows it; failing is harmless.
    [[maybe_unused]] const int ignored = fchown(fd_, old.st_uid, old.st_gid);
  }
  if (mode && fchmod(fd_, *mode) != 0) Fail(errno);
}

PendingReplacement::~PendingReplacement() {
  if (fd_ >= 0) close(fd_);
  if (!temporary_.empty()) unlink(temporary_.c_str());
}

void PendingReplacement::Fail(int error_number) {
  Fail(error_number, kCannotWrite, path_);
}

void PendingReplacement::Fail(int error_number, const char* action,
                              const std::string& path) {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  if (!temporary_.empty()) unlink(temporary_.c_str());
  temporary_.clear();
  throw FileError::FromErrno(action, path, error_number);
}

void PendingReplacement::Write(std::string_view bytes) {
  const char* next = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    const ssize_t written = write(fd_, next, left < kMaxChunk ? left : kMaxChunk);
    if (written < 0) {
      if (errno == EINTR) continue;
      Fail(errno);
    }
    if (written == 0) Fail(ENOSPC);
    next += written;
    left -= static_cast<std::size_t>(written);
  }
}

void PendingReplacement::CopyFrom(int source_fd, const std::string& source_path) {
  // The kernel copies without passing the bytes through us where it can.
  for (;;) {
    const ssize_t copied =
        copy_file_range(source_fd, nullptr, fd_, nullptr, kMaxChunk, 0);
    if (copied == 0) return;
    if (copied > 0) continue;
    if (errno == EINTR) continue;
    if (errno == EXDEV || errno == ENOSYS || errno == EINVAL ||
        errno == EOPNOTSUPP || errno == EBADF) {
      break;  // not possible between these two files: copy through a buffer
    }
    Fail(errno);
  }
  std::vector<char> buffer(kCopyBuffer);
  for (;;) {
    const ssize_t got = read(source_fd, buffer.data(), buffer.size());
    if (got == 0) return;
    if (got < 0) {
      if (errno == EINTR) continue;
      Fail(errno, "Cannot read", source_path);
    }
    Write(std::string_view(buffer.data(), static_cast<std::size_t>(got)));
  }
}

void PendingReplacement::Commit() {
  // Flushing protects the content being replaced: a crash after the rename
  // must not leave an empty file where the old one stood. A new file has no
  // old content to lose, so it is not flushed (as cp does not flush).
  if (replaces_existing_ && fsync(fd_) != 0) Fail(errno);
  const int closing = fd_;
  fd_ = -1;
  if (close(closing) != 0) Fail(errno);
  if (rename(temporary_.c_str(), target_.c_str()) != 0) Fail(errno);
  temporary_.clear();
  // The folder is not flushed after the rename: a crash before the rename
  // reaches the disk leaves the old file whole, and flushing every folder
  // would double the cost of each file in a big batch.
}

}  // namespace tarnwick
