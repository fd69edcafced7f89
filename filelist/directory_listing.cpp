#include "filelist/directory_listing.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <numeric>

#include "filelist/name_characters.h"

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

bool IsDotOrDotDot(const char* name) {
  return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

}  // namespace

bool ComesBeforeInListing(std::string_view a, std::string_view b) {
  const std::u32string folded_a = FoldedName(a);
  const std::u32string folded_b = FoldedName(b);
  if (folded_a != folded_b) return folded_a < folded_b;
  return a < b;
}

void SortInListingOrder(std::vector<std::string>& names) {
  // Fold every name once, then sort positions by the folded keys.
  std::vector<std::u32string> keys;
  keys.reserve(names.size());
  for (const std::string& name : names) keys.push_back(FoldedName(name));
  std::vector<std::size_t> order(names.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::sort(order.begin(), order.end(), [&](std::size_t x, std::size_t y) {
    if (keys[x] != keys[y]) return keys[x] < keys[y];
    return names[x] < names[y];
  });
  std::vector<std::string> sorted;
  sorted.reserve(names.size());
  for (std::size_t position : order) sorted.push_back(std::move(names[position]));
  names = std::move(sorted);
}

DirectoryListing ListDirectory(const std::string& folder, ListingKind kind) {
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
  for (;;) {
    errno = 0;
    const dirent* entry = readdir(stream);
    if (entry == nullptr) {
      if (errno != 0) SetError(listing, errno, folder);
      break;
    }
    if (IsDotOrDotDot(entry->d_name)) continue;
    if (IsFolderEntry(folder_fd, *entry) == want_folders) {
      listing.names.emplace_back(entry->d_name);
    }
  }
  closedir(stream);
  SortInListingOrder(listing.names);
  return listing;
}

}  // namespace tarnwick
