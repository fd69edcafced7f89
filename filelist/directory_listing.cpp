// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "filelist/directory_listing.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "filelist/name_characters.h"
#include "files/platform.h"

namespace tarnwick {

namespace {

ListingError ErrorKind(int error) {
  switch (error) {
    case EACCES:
    case EPERM:
      return ListingError::kPermissionDenied;
    case ENOENT:
    case ENOTDIR:
      return ListingError::kPathNotFound;
    default:
      return ListingError::kOther;
  }
}

void SetError(DirectoryListing& listing, int error, const std::string& folder) {
  listing.error = ErrorKind(error);
  listing.reason = "Cannot list the folder " + folder + ": " + std::strerror(error);
}

// Whether the entry is a folder; follows symbolic links. Only links and
// entries whose type the listing does not give cost a look-up.
bool IsFolderEntry(int folder_fd, const dirent& entry) {
  if (entry.d_type == DT_DIR) return true;
  if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN) return false;
  struct stat status;
  if (fstatat(folder_fd, entry.d_name, &status, 0) != 0) return false;
  return S_ISDIR(status.st_mode);
}

// IsExistingFile for folder + name, given the open folder. An entry the
// listing gives as a regular file is one as long as the folder may be
// searched; that is asked once per folder, with the first such entry.
class ExistingFileTest {
 public:
  ExistingFileTest(int folder_fd, std::size_t folder_length)
      : folder_fd_(folder_fd), folder_length_(folder_length) {}

  bool operator()(const dirent& entry) {
    const std::size_t length = folder_length_ + std::strlen(entry.d_name);
    if (length >= kMaxPath) return false;  // the platform refuses the path
    if (entry.d_type == DT_REG && searchable_ != Searchable::kUnknown) {
      return searchable_ == Searchable::kYes;
    }
    struct stat status;
    if (fstatat(folder_fd_, entry.d_name, &status, 0) != 0) {
      if (errno == EACCES) searchable_ = Searchable::kNo;
      return false;
    }
    if (entry.d_type == DT_REG) searchable_ = Searchable::kYes;
    return S_ISREG(status.st_mode);
  }

 private:
  enum class Searchable { kUnknown, kYes, kNo };
  int folder_fd_;
  std::size_t folder_length_;
  Searchable searchable_ = Searchable::kUnknown;
};

bool IsDotOrDotDot(const char* name) {
  return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

}  // namespace

// Compares the upper-cased characters of a and b: negative, zero or
// positive. Plain ASCII is compared without decoding.
int CompareFolded(std::string_view a, std::string_view b) {
  std::size_t i = 0;
  std::size_t j = 0;
  while (i < a.size() && j < b.size()) {
    const auto byte_a = static_cast<unsigned char>(a[i]);
    const auto byte_b = static_cast<unsigned char>(b[j]);
    char32_t code_a;
    char32_t code_b;
    if (byte_a < 0x80 && byte_b < 0x80) {
      code_a = UpperCaseLetter(byte_a);
      code_b = UpperCaseLetter(byte_b);
      ++i;
      ++j;
    } else {
      code_a = UpperCaseLetter(NextNameCharacter(a, i).code);
      code_b = UpperCaseLetter(NextNameCharacter(b, j).code);
    }
    if (code_a != code_b) return code_a < code_b ? -1 : 1;
  }
  if (i < a.size()) return 1;
  if (j < b.size()) return -1;
  return 0;
}

bool ComesBeforeInListing(std::string_view a, std::string_view b) {
  const int folded = CompareFolded(a, b);
  if (folded != 0) return folded < 0;
  return a < b;
}

void SortInListingOrder(std::vector<std::string>& names) {
  std::sort(names.begin(), names.end(),
            [](const std::string& a, const std::string& b) {
              return ComesBeforeInListing(a, b);
            });
}

DirectoryListing ListDirectory(
    const std::string& folder, ListingKind kind,
    const std::function<bool(std::string_view)>& accept_name) {
  DirectoryListing listing;
  const int folder_fd =
      open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder_fd < 0) {
    SetError(listing, errno, folder);
    return listing;
  }
  DIR* stream = fdopendir(folder_fd);
  if (stream == nullptr) {
    SetError(listing, errno, folder);
    close(folder_fd);
    return listing;
  }
  const bool want_folders = kind == ListingKind::kFolders;
  ExistingFileTest is_existing_file(
      folder_fd,
      folder.size() + (folder.empty() || folder.back() != kSeparator ? 1 : 0));
  for (;;) {
    errno = 0;
    const dirent* entry = readdir(stream);
    if (entry == nullptr) {
      if (errno != 0) SetError(listing, errno, folder);
      break;
    }
    if (IsDotOrDotDot(entry->d_name)) continue;
    if (accept_name && !accept_name(entry->d_name)) continue;
    if (IsFolderEntry(folder_fd, *entry) != want_folders) continue;
    if (kind == ListingKind::kExistingFiles && !is_existing_file(*entry)) {
      continue;
    }
    listing.names.emplace_back(entry->d_name);
  }
  closedir(stream);
  SortInListingOrder(listing.names);
  return listing;
}

}  // namespace tarnwick
