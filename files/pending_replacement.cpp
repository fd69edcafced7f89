// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "files/pending_replacement.h"

#include <fcntl.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <utility>

#include "files/file_error.h"
#include "files/file_texts.h"
#include "files/path_helpers.h"
#include "files/platform.h"
#include "files/replacement_group.h"
#include "files/replacement_journal.h"
#include "files/system_calls.h"

namespace tarnwick {
namespace {

using file_texts::kCannotWrite;
constexpr int kMaxLinkHops = 40;         // the kernel's own limit
constexpr int kMaxNameAttempts = 100;    // tries for a free temporary name
constexpr std::size_t kMaxChunk = 1u << 30;  // one write() call at most
constexpr std::size_t kCopyBuffer = 1u << 20;
constexpr std::size_t kCompareChunk = 256u << 10;
constexpr char kTemporaryMark[] = ".tarnwick-";

// Eight hex digits that another process (or thread) is unlikely to pick
// at the same moment: a shared counter, seeded once from the system's
// randomness, the time and the process id, mixed (splitmix64). The name is
// created exclusively, and another is tried when it is taken.
std::string RandomSuffix() {
  static std::atomic<std::uint64_t> counter(
      std::random_device{}() ^
      static_cast<std::uint64_t>(
          std::chrono::steady_clock::now().time_since_epoch().count()) ^
      (static_cast<std::uint64_t>(getpid()) << 32));
  std::uint64_t z = counter.fetch_add(0x9e3779b97f4a7c15u) + 0x9e3779b97f4a7c15u;
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9u;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebu;
  z ^= z >> 31;
  char text[9];
  std::snprintf(text, sizeof text, "%08llx",
                static_cast<unsigned long long>(z & 0xffffffffu));
  return text;
}

// The name under which the system shows an open file of this process.
std::string FdLinkPath(int fd) { return "/proc/self/fd/" + std::to_string(fd); }

// Gives the open file without a name the name in folder; a taken name is
// never replaced (EEXIST). Returns 0 or the error number.
int LinkOpenFile(int fd, int folder, const std::string& name) {
  if (FileSystemCalls().link_at(AT_FDCWD, FdLinkPath(fd).c_str(), folder,
                                name.c_str(), AT_SYMLINK_FOLLOW) != 0) {
    return errno;
  }
  return 0;
}

// Reads up to size bytes at offset; fewer only at the end of the file.
// Returns the count, or -1 with errno set.
ssize_t ReadFullAt(int fd, char* data, std::size_t size, off_t offset) {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t got = pread(fd, data + done, size - done,
                              offset + static_cast<off_t>(done));
    if (got < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (got == 0) break;
    done += static_cast<std::size_t>(got);
  }
  return static_cast<ssize_t>(done);
}

// Copies the extended attributes of from to to (ACLs and security labels
// travel this way). Returns 0, or the error number with the failing name.
int CopyExtendedAttributes(int from, int to, std::string& failed_name) {
  std::vector<char> names;
  for (;;) {
    const ssize_t size = flistxattr(from, nullptr, 0);
    if (size < 0) return errno == ENOTSUP ? 0 : errno;
    if (size == 0) return 0;
    names.resize(static_cast<std::size_t>(size));
    const ssize_t got = flistxattr(from, names.data(), names.size());
    if (got >= 0) {
      names.resize(static_cast<std::size_t>(got));
      break;
    }
    if (errno != ERANGE) return errno;  // the list grew meanwhile: again
  }
  std::vector<char> value;
  for (std::size_t at = 0; at < names.size();) {
    const char* name = names.data() + at;
    at += std::strlen(name) + 1;
    ssize_t size = fgetxattr(from, name, nullptr, 0);
    if (size >= 0) {
      value.resize(static_cast<std::size_t>(size));
      size = fgetxattr(from, name, value.data(), value.size());
    }
    if (size < 0) {
      if (errno == ENODATA || errno == ENOTSUP) continue;  // gone meanwhile
      failed_name = name;
      return errno;
    }
    if (FileSystemCalls().fsetxattr(to, name, value.data(),
                                    static_cast<std::size_t>(size), 0) != 0 &&
        errno != ENOTSUP) {
      failed_name = name;
      return errno;
    }
  }
  return 0;
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

std::string TemporaryName(std::string_view name, std::string_view suffix) {
  const std::size_t room =
      kMaxName - 1 - (sizeof kTemporaryMark - 1) - suffix.size();
  std::size_t cut = std::min(name.size(), room);
  // Never inside a UTF-8 character: back up over continuation bytes.
  while (cut > 0 && cut < name.size() &&
         (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) {
    --cut;
  }
  std::string temporary = ".";
  temporary.append(name.substr(0, cut));
  temporary.append(kTemporaryMark);
  temporary.append(suffix);
  return temporary;
}

PendingReplacement::PendingReplacement(const std::string& path,
                                       std::optional<mode_t> mode,
                                       const ReplaceScope& scope)
    : path_(path), old_(-1), ledger_(scope.ledger),
      preview_(scope.preview), seal_(scope.seal) {
  Begin(mode);
}

PendingReplacement::PendingReplacement(const std::string& path, mode_t mode,
                                       CopySource source,
                                       const ReplaceScope& scope)
    : path_(path), copy_of_(std::move(source)), old_(-1),
      ledger_(scope.ledger), preview_(scope.preview), seal_(scope.seal) {
  Begin(mode);
}

void PendingReplacement::Begin(std::optional<mode_t> mode) {
  if (path_.empty()) throw FileError::FromErrno(kCannotWrite, path_, ENOENT);
  if (path_.find('\0') != std::string::npos) {
    throw FileError(kCannotWrite, path_, file_texts::kZeroByte, EINVAL);
  }
  // Most paths are no link: the path itself is looked at first, and only a
  // link is followed to its file.
  target_ = path_;
  OpenFolderAndLook();
  if (exists_ && S_ISLNK(old_info_.st_mode)) {
    target_ = ResolveLinks(path_);
    OpenFolderAndLook();
  }
  if (seal_ != nullptr && (exists_ || target_ != path_ || !copy_of_ ||
                           ledger_ != nullptr || preview_ != Preview::kOff)) {
    // Only a new copy outside a run is sealed: nothing else can wait. Nor
    // one through a link: by the time it is named, the link may be gone
    // and the name itself free (its folder and name are all that is
    // checked then).
    throw FileError::FromErrno(kCannotWrite, path_, EEXIST);
  }
  RunLedger* const ledger = ledger_;
  if (!exists_ && ledger != nullptr && !copy_of_) {
    // An edit within a run never creates the file it was meant to edit.
    throw FileError(kCannotWrite, path_, file_texts::kFileHasGone, ENOENT);
  }
  if (exists_) {
    if (S_ISDIR(old_info_.st_mode)) {
      throw FileError::FromErrno(kCannotWrite, path_, EISDIR);
    }
    if (!S_ISREG(old_info_.st_mode)) {
      throw FileError(kCannotWrite, path_, file_texts::kNotRegular, EINVAL);
    }
    // A file the open run copied holds nothing that exists nowhere else,
    // and nothing of its own to keep: no flush, no owner or attributes.
    const RunLedger::Written* written =
        ledger != nullptr ? ledger->WrittenAt(IdOf(old_info_)) : nullptr;
    run_copy_ = written != nullptr && written->origin == RunLedger::Origin::kCopied;
    const mode_t old_mode = old_info_.st_mode & 07777;
    comparing_ = !copy_of_ && (!mode || *mode == old_mode);
    if (!mode) mode = old_mode;
  }
  mode_ = mode;
  if (comparing_) {
    old_.reset(openat(folder_->get(), name_.c_str(),
                      O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    comparing_ = old_.get() >= 0;
    compare_fd_ = old_.get();
    compare_size_ = static_cast<std::uint64_t>(old_info_.st_size);
  } else if (copy_of_ && copy_of_->compare_fd >= 0) {
    comparing_ = true;
    compare_fd_ = copy_of_->compare_fd;
    compare_size_ = copy_of_->size;
  }
  if (!comparing_) Diverge();
}

void PendingReplacement::OpenFolderAndLook() {
  const std::size_t slash = target_.rfind(kSeparator);
  const std::string folder =
      slash == std::string::npos ? std::string("./") : target_.substr(0, slash + 1);
  name_ = slash == std::string::npos ? target_ : target_.substr(slash + 1);
  folder_path_ = folder;

  // Everything below works relative to the folder, so that only the name,
  // not the whole path, must fit the system's limits.
  // Within a run the folder comes from its ledger, opened once for all the
  // files written there.
  if (ledger_ != nullptr) {
    folder_ = ledger_->Folder(folder);
  } else {
    folder_ = std::make_shared<const UniqueFd>(
        open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  }
  if (folder_->get() < 0) {
    if (errno == ENOENT) {
      throw FileError(kCannotWrite, path_, file_texts::FolderMissing(folder),
                      ENOENT);
    }
    throw FileError::FromErrno(kCannotWrite, path_, errno);
  }
  if (name_.empty()) throw FileError::FromErrno(kCannotWrite, path_, EISDIR);

  exists_ = fstatat(folder_->get(), name_.c_str(), &old_info_,
                    AT_SYMLINK_NOFOLLOW) == 0;
  if (!exists_ && errno != ENOENT) {
    throw FileError::FromErrno(kCannotWrite, path_, errno);
  }
}

PendingReplacement::~PendingReplacement() {
  if (fd_ >= 0) close(fd_);
  RemoveTemporary();
}

void PendingReplacement::RemoveTemporary() noexcept {
  if (!temporary_.empty() && folder_ != nullptr) {
    unlinkat(folder_->get(), temporary_.c_str(), 0);
  }
  temporary_.clear();
}

void PendingReplacement::Fail(int error_number) {
  Fail(error_number, kCannotWrite, path_);
}

void PendingReplacement::Fail(int error_number, const std::string& reason) {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  RemoveTemporary();
  throw FileError(kCannotWrite, path_, reason, error_number);
}

void PendingReplacement::Fail(int error_number, const char* action,
                              const std::string& path) {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  RemoveTemporary();
  throw FileError::FromErrno(action, path, error_number);
}

void PendingReplacement::Diverge() {
  comparing_ = false;
  if (exists_ && preview_ != Preview::kUnchecked) {
    if ((old_info_.st_mode & S_IWUSR) == 0) {
      throw FileError(kCannotWrite, path_, file_texts::kReadOnly, EACCES);
    }
    // Ask the system whether it would let us write the old file; a rename
    // would otherwise bypass its refusal. (The run's own copy is ours.)
    if (!run_copy_ && faccessat(folder_->get(), name_.c_str(), W_OK, AT_EACCESS) != 0) {
      throw FileError::FromErrno(kCannotWrite, path_, errno);
    }
  }
  if (preview_ == Preview::kChecked || preview_ == Preview::kCheckedOnly) {
    CheckFolderTakesFile();
  }
  if (preview_ != Preview::kOff) return;
  CreateTemporary();
  KeepOwnerAndAttributes();
  if (matched_ > 0) CopyMatchedPrefix();
  old_.reset();
  compare_fd_ = -1;
}

void PendingReplacement::CreateTemporary() {
  // With bits to set, the new file starts private to us, so that nobody
  // can open it in between and read what it is given later. Without, the
  // umask decides, as for any new file.
  const mode_t initial = mode_ ? 0600 : 0666;
  if (!exists_) {
    const int error = CreateUnnamed(initial);
    if (error == 0) return;
    // A file made ahead never waits under a name of its own.
    if (seal_ != nullptr) FailNoTemporary(error);
  }
  for (int attempt = 0; attempt < kMaxNameAttempts; ++attempt) {
    std::string candidate = TemporaryName(name_, RandomSuffix());
    fd_ = FileSystemCalls().create_at(
        folder_->get(), candidate.c_str(),
        O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, initial);
    if (fd_ >= 0) {
      temporary_ = std::move(candidate);
      return;
    }
    if (errno != EEXIST) break;
  }
  FailNoTemporary(errno);
}

int PendingReplacement::CreateUnnamed(mode_t initial) {
  // A new file for a free name has no name at all until it is linked there
  // (LinkOpenFile): a process that dies before leaves nothing behind, a
  // name taken meanwhile is never replaced, and its inode is made without
  // the folder's lock, so that files made ahead on several threads are
  // made at once. It is linked through /proc/self/fd; where that or such a
  // file is missing, a named temporary serves.
  fd_ = FileSystemCalls().create_at(folder_->get(), ".",
                                    O_WRONLY | O_TMPFILE | O_NOCTTY | O_CLOEXEC,
                                    initial);
  if (fd_ < 0) {
    // EISDIR: a kernel that does not know such files.
    return errno == EISDIR || errno == EINVAL ? EOPNOTSUPP : errno;
  }
  struct stat link {};
  if (lstat(FdLinkPath(fd_).c_str(), &link) != 0) {
    close(fd_);
    fd_ = -1;
    return EOPNOTSUPP;
  }
  unnamed_ = true;
  return 0;
}

void PendingReplacement::CheckFolderTakesFile() {
  if (faccessat(folder_->get(), ".", W_OK | X_OK, AT_EACCESS) != 0) {
    FailNoTemporary(errno);
  }
}

// A folder that takes no new file is named as not writable; any other
// failure to make the temporary file says so with the system's reason.
void PendingReplacement::FailNoTemporary(int error_number) const {
  const bool not_writable =
      error_number == EACCES || error_number == EPERM || error_number == EROFS;
  const std::size_t slash = path_.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "."
                             : slash == 0                ? "/"
                                                         : path_.substr(0, slash);
  throw FileError(kCannotWrite, path_,
                  not_writable
                      ? file_texts::FolderNotWritable(folder, std::strerror(error_number))
                      : file_texts::NoTemporary(std::strerror(error_number)),
                  error_number);
}

void PendingReplacement::KeepOwnerAndAttributes() {
  if (exists_ && !run_copy_) {
    UniqueFd opened(-1);
    int from = copy_of_ ? -1 : old_.get();
    if (from < 0) {
      opened.reset(openat(folder_->get(), name_.c_str(),
                          O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
      from = opened.get();
    }
    std::string name;
    if (from >= 0) {
      if (const int error_number = CopyExtendedAttributes(from, fd_, name)) {
        Fail(error_number,
             file_texts::AttributeNotKept(name, std::strerror(error_number)));
      }
    }
    // The owner where the system allows it, else the group alone (as the
    // stream editors do); keeping neither is no failure.
    if (old_info_.st_uid != geteuid() || old_info_.st_gid != getegid()) {
      if (FileSystemCalls().fchown(fd_, old_info_.st_uid, old_info_.st_gid) != 0) {
        [[maybe_unused]] const int ignored = FileSystemCalls().fchown(
            fd_, static_cast<uid_t>(-1), old_info_.st_gid);
      }
    }
  }
  if (mode_ && fchmod(fd_, *mode_) != 0) Fail(errno);
}

void PendingReplacement::CopyMatchedPrefix() {
  off_t offset = 0;
  const auto end = static_cast<off_t>(matched_);
  while (offset < end) {
    const ssize_t copied =
        copy_file_range(compare_fd_, &offset, fd_, nullptr,
                        static_cast<std::size_t>(end - offset), 0);
    if (copied > 0) continue;
    if (copied < 0 && errno == EINTR) continue;
    break;  // not possible here (or the file shrank): through a buffer
  }
  if (offset == end) return;
  std::vector<char> buffer(kCopyBuffer);
  while (offset < end) {
    const std::size_t want =
        std::min(buffer.size(), static_cast<std::size_t>(end - offset));
    const ssize_t got = ReadFullAt(compare_fd_, buffer.data(), want, offset);
    if (got <= 0) {
      Fail(got < 0 ? errno : EIO, file_texts::kCannotRead,
           copy_of_ ? copy_of_->path : path_);
    }
    WriteAll(std::string_view(buffer.data(), static_cast<std::size_t>(got)));
    offset += got;
  }
}

std::string_view PendingReplacement::Compare(std::string_view bytes) {
  // Sized to what is compared, one byte more to see the end: a small file
  // needs no buffer of a full chunk (whose pages would be faulted in).
  // It is read into before it is looked at: not zero-filled.
  if (compare_buffer_size_ == 0) {
    compare_buffer_size_ = static_cast<std::size_t>(
        std::min<std::uint64_t>(kCompareChunk, compare_size_ + 1));
    compare_buffer_.reset(new char[compare_buffer_size_]);
  }
  while (!bytes.empty()) {
    const std::size_t want = std::min(bytes.size(), compare_buffer_size_);
    const ssize_t got = ReadFullAt(compare_fd_, compare_buffer_.get(), want,
                                   static_cast<off_t>(matched_));
    if (got != static_cast<ssize_t>(want) ||
        std::memcmp(compare_buffer_.get(), bytes.data(), want) != 0) {
      Diverge();
      return bytes;
    }
    matched_ += want;
    bytes.remove_prefix(want);
  }
  return bytes;
}

void PendingReplacement::Write(std::string_view bytes) {
  if (comparing_) bytes = Compare(bytes);
  if (preview_ == Preview::kOff) WriteAll(bytes);
}

void PendingReplacement::WriteAll(std::string_view bytes) {
  const char* next = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    const ssize_t written = FileSystemCalls().write(
        fd_, next, left < kMaxChunk ? left : kMaxChunk);
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
  if (comparing_) Diverge();  // a copy is never compared
  if (preview_ != Preview::kOff) return;
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
      Fail(errno, file_texts::kCannotRead, source_path);
    }
    WriteAll(std::string_view(buffer.data(), static_cast<std::size_t>(got)));
  }
}

void PendingReplacement::Commit() {
  if (preview_ != Preview::kOff) return FinishPreview();
  if (comparing_) {
    unchanged_ = matched_ == compare_size_;
    if (unchanged_ && !copy_of_) {
      // Every byte the same: the file is left exactly as it was.
      old_.reset();
      return;
    }
    // A copy the same as its source is the source's bytes, copied by the
    // kernel; otherwise the new content is a shorter start of the old one.
    Diverge();
  }
  old_.reset();
  if (seal_ != nullptr) return Seal(*seal_);
  SystemCalls& calls = FileSystemCalls();
  RunLedger* const ledger = ledger_;
  ReplacementJournal* const journal =
      ledger != nullptr ? ledger->journal() : nullptr;
  ReplacementGroup* const group = ledger != nullptr ? ledger->group() : nullptr;
  if (exists_ && !run_copy_ && group != nullptr) return Prepare(*group, journal);
  // Flushing protects the content being replaced: a crash after the rename
  // must not leave an empty file where the old one stood. A new file, or
  // one this run copied a moment ago, has no such content (cp does not
  // flush either).
  if (exists_ && !run_copy_ && calls.fsync(fd_) != 0) Fail(errno);
  // The new file's identity: for the run's ledger and journal, and for a
  // file linked below, to know it again should its close fail.
  struct stat written {};
  if ((ledger != nullptr || unnamed_) && fstat(fd_, &written) != 0) Fail(errno);
  if (!unnamed_) {
    const int closing = std::exchange(fd_, -1);
    if (calls.close(closing) != 0) Fail(errno);
  }
  CheckNameUnchanged();
  if (journal != nullptr) {
    // Write-ahead: the journal keeps the old content and records the new
    // file's identity (which the rename does not change) before the new
    // file takes the old one's place.
    const FileIdentity after = IdentityOf(written);
    const KeepResult kept = exists_
                                ? journal->BeforeReplace(target_, old_info_, after)
                                : journal->BeforeCreate(target_, after);
    if (kept.outcome == KeepResult::Outcome::kRefused) {
      Fail(EPERM, file_texts::CannotKeepForUndo(kept.note));
    }
  }
  if (unnamed_) {
    if (const int error = LinkOpenFile(fd_, folder_->get(), name_)) {
      if (error == EEXIST) Fail(EBUSY, file_texts::kAppearedMeanwhile);
      Fail(error);
    }
    const int closing = std::exchange(fd_, -1);
    if (calls.close(closing) != 0) {
      // What was written may not all be there: the name goes again, if it
      // still names this file.
      const int error = errno;
      struct stat now {};
      if (fstatat(folder_->get(), name_.c_str(), &now, AT_SYMLINK_NOFOLLOW) == 0 &&
          IdOf(now) == IdOf(written)) {
        unlinkat(folder_->get(), name_.c_str(), 0);
      }
      Fail(error);
    }
  } else if (calls.rename_at(folder_->get(), temporary_.c_str(),
                             folder_->get(), name_.c_str()) != 0) {
    Fail(errno);
  }
  temporary_.clear();
  // The folder is not flushed after the rename: a crash before the rename
  // reaches the disk leaves the old file whole, and flushing every folder
  // would double the cost of each file in a big batch.
  if (ledger == nullptr) return;
  if (copy_of_) {
    if (exists_) ledger->Replaced(IdOf(old_info_), IdOf(written), path_);
    ledger->Record(IdOf(written), {RunLedger::Origin::kCopied, path_,
                                   copy_of_->path, copy_of_->id});
  } else if (exists_) {
    ledger->Replaced(IdOf(old_info_), IdOf(written), path_);
  }
}

NameCheck CheckNameHolds(int folder, const std::string& name, bool existed,
                         const struct stat& old) {
  // Someone else may have saved the file since it was read: renaming over
  // it would silently throw their work away. This narrows the window to
  // the few calls between this look and the rename; closing it entirely
  // would take an atomic compare-and-rename, which no portable call offers
  // (renameat2 can only refuse an existing name, not check which file it
  // holds). A new file without a name is linked, and a link never
  // replaces a name taken meanwhile.
  struct stat now {};
  const bool exists =
      fstatat(folder, name.c_str(), &now, AT_SYMLINK_NOFOLLOW) == 0;
  if (!exists && errno != ENOENT) return {errno, {}};
  if (!existed) {
    if (exists) return {EBUSY, file_texts::kAppearedMeanwhile};
    return {};
  }
  if (!exists) return {EBUSY, file_texts::kRemovedMeanwhile};
  const bool same = now.st_dev == old.st_dev && now.st_ino == old.st_ino &&
                    now.st_size == old.st_size &&
                    now.st_mtim.tv_sec == old.st_mtim.tv_sec &&
                    now.st_mtim.tv_nsec == old.st_mtim.tv_nsec;
  if (!same) return {EBUSY, file_texts::kChangedMeanwhile};
  return {};
}

void PendingReplacement::CheckNameUnchanged() {
  const NameCheck check =
      CheckNameHolds(folder_->get(), name_, exists_, old_info_);
  if (check.error_number == 0) return;
  if (check.reason.empty()) Fail(check.error_number);
  Fail(check.error_number, check.reason);
}

void PendingReplacement::Prepare(ReplacementGroup& group,
                                 ReplacementJournal* journal) {
  // The new file stays open and unflushed: the group flushes it with the
  // others, then renames it (files/replacement_group.h).
  struct stat written {};
  if (fstat(fd_, &written) != 0) Fail(errno);
  CheckNameUnchanged();  // and again just before the group's rename
  if (journal != nullptr) {
    const KeepResult kept = journal->BeforeGroupedReplace(
        target_, old_info_, IdentityOf(written));
    if (kept.outcome == KeepResult::Outcome::kRefused) {
      Fail(EPERM, file_texts::CannotKeepForUndo(kept.note));
    }
  }
  ReplacementGroup::Prepared prepared;
  prepared.path = path_;
  prepared.name = name_;
  prepared.temporary = std::exchange(temporary_, std::string());
  prepared.folder = folder_;  // the group renames there later
  prepared.file = UniqueFd(std::exchange(fd_, -1));
  prepared.old_info = old_info_;
  prepared.written = written;
  if (copy_of_) {
    prepared.record = RunLedger::Written{RunLedger::Origin::kCopied, path_,
                                         copy_of_->path, copy_of_->id};
  }
  group.Add(std::move(prepared));
}

void PendingReplacement::Seal(SealedFile& sealed) {
  struct stat written {};
  if (fstat(fd_, &written) != 0) Fail(errno);
  // A file without a name stays open until it is linked.
  UniqueFd unnamed(unnamed_ ? std::exchange(fd_, -1) : -1);
  if (fd_ >= 0) {
    const int closing = std::exchange(fd_, -1);
    if (FileSystemCalls().close(closing) != 0) Fail(errno);
  }
  sealed = SealedFile();
  sealed.file = std::move(unnamed);
  sealed.path = path_;
  sealed.target = target_;
  sealed.folder_path = folder_path_;
  sealed.name = name_;
  sealed.folder = folder_;
  sealed.temporary = std::exchange(temporary_, std::string());
  sealed.written = written;
  sealed.source = copy_of_->path;
  sealed.source_id = copy_of_->id;
}

SealedFile::SealedFile(SealedFile&& other) noexcept { *this = std::move(other); }

SealedFile& SealedFile::operator=(SealedFile&& other) noexcept {
  if (this == &other) return *this;
  RemoveNewFile();
  path = std::move(other.path);
  target = std::move(other.target);
  folder_path = std::move(other.folder_path);
  name = std::move(other.name);
  temporary = std::exchange(other.temporary, std::string());
  file = std::move(other.file);
  folder = std::move(other.folder);
  written = other.written;
  source = std::move(other.source);
  source_id = other.source_id;
  return *this;
}

SealedFile::~SealedFile() { RemoveNewFile(); }

void SealedFile::RemoveNewFile() noexcept {
  if (!temporary.empty() && folder != nullptr) {
    unlinkat(folder->get(), temporary.c_str(), 0);
  }
  temporary.clear();
}

bool PublishSealed(SealedFile& sealed, RunLedger* ledger) {
  const auto discard = [&] {
    sealed = SealedFile();
    return false;
  };
  if (!sealed.holds_file() || sealed.folder == nullptr) return discard();
  const bool unnamed = sealed.temporary.empty();
  const int folder = sealed.folder->get();
  if (ledger != nullptr) {
    // The run writes where its folder path names now.
    const std::shared_ptr<const UniqueFd> now = ledger->Folder(sealed.folder_path);
    struct stat then_info {};
    struct stat now_info {};
    if (now->get() < 0 || fstat(now->get(), &now_info) != 0 ||
        fstat(folder, &then_info) != 0 || IdOf(now_info) != IdOf(then_info)) {
      return discard();
    }
  }
  if (CheckNameHolds(folder, sealed.name, false, {}).error_number != 0) {
    return discard();
  }
  const auto fail = [&](FileError error) {
    sealed = SealedFile();
    throw error;
  };
  ReplacementJournal* const journal =
      ledger != nullptr ? ledger->journal() : nullptr;
  if (journal != nullptr) {
    const KeepResult kept =
        journal->BeforeCreate(sealed.target, IdentityOf(sealed.written));
    if (kept.outcome == KeepResult::Outcome::kRefused) {
      fail(FileError(kCannotWrite, sealed.path,
                     file_texts::CannotKeepForUndo(kept.note), EPERM));
    }
  }
  if (unnamed) {
    // Linking never replaces a name: one taken since the look above fails.
    if (const int error = LinkOpenFile(sealed.file.get(), folder, sealed.name)) {
      if (error == EEXIST) {
        fail(FileError(kCannotWrite, sealed.path, file_texts::kAppearedMeanwhile,
                       EBUSY));
      }
      fail(FileError::FromErrno(kCannotWrite, sealed.path, error));
    }
    sealed.file.reset();
  } else if (FileSystemCalls().rename_at(folder, sealed.temporary.c_str(),
                                         folder, sealed.name.c_str()) != 0) {
    fail(FileError::FromErrno(kCannotWrite, sealed.path, errno));
  }
  sealed.temporary.clear();
  if (ledger != nullptr) {
    ledger->Record(IdOf(sealed.written),
                   {RunLedger::Origin::kCopied, sealed.path, sealed.source,
                    sealed.source_id});
  }
  return true;
}

void PendingReplacement::FinishPreview() {
  unchanged_ = comparing_ && matched_ == compare_size_;
  if (unchanged_ && !copy_of_) {
    old_.reset();
    return;
  }
  if (comparing_) Diverge();  // a shorter start of the old content
  old_.reset();
  RunLedger* const ledger = ledger_;
  struct stat folder {};
  if (preview_ != Preview::kChecked || ledger == nullptr ||
      fstat(folder_->get(), &folder) != 0) {
    return;
  }
  // What the run's ledger would hold for the new file (as Commit records
  // it), by the name it would have.
  if (copy_of_) {
    ledger->Plan(IdOf(folder), name_, {RunLedger::Origin::kCopied, path_,
                                       copy_of_->path, copy_of_->id});
  } else if (ledger->PlannedAt(IdOf(folder), name_) == nullptr) {
    const std::string* input =
        exists_ ? ledger->InputAt(IdOf(old_info_)) : nullptr;
    ledger->Plan(IdOf(folder), name_,
                 {RunLedger::Origin::kRewritten, path_,
                  input != nullptr ? *input : path_, IdOf(old_info_)});
  }
}

}  // namespace tarnwick
