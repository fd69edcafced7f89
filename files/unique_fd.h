// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// A file descriptor that is closed when it goes out of scope, also when
// the work on it ends with an exception.
#ifndef TARNWICK_FILES_UNIQUE_FD_H_
#define TARNWICK_FILES_UNIQUE_FD_H_

#include <unistd.h>

namespace tarnwick {

class UniqueFd {
 public:
  // Takes fd over; a negative fd (a failed open) holds nothing.
  explicit UniqueFd(int fd) : fd_(fd) {}
  ~UniqueFd() {
    if (fd_ >= 0) ::close(fd_);
  }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  UniqueFd(UniqueFd&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  UniqueFd& operator=(UniqueFd&& other) noexcept {
    if (this != &other) {
      reset(other.fd_);
      other.fd_ = -1;
    }
    return *this;
  }

  int get() const { return fd_; }
  // Gives up the descriptor without closing it.
  int release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }
  // Closes what it holds and takes fd over.
  void reset(int fd = -1) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
  }

 private:
  int fd_;
};

}  // namespace tarnwick

#endif  // TARNWICK_FILES_UNIQUE_FD_H_
