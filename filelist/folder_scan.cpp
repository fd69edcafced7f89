// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// The folder scan. Both routines run under the scan's error trap
// (routines::kFolderScan); a report names one of these step lines:
//
//   GetSubDirectories2016
//   100  start of a level (the list of found folders)
//   102  an entry's folder and length tests
//   104  yield for an entry
//   106  an entry's folder test
//   108  listing an entry's subfolders (failures other than "gone" or
//        "permission denied" are reported here)
//   110  yield for a listed subfolder
//   112  a subfolder's name tests and keeping it as found
//   114  scanning the next level
//   116  a found folder's folder test (IsFolder)
//   118  yield for a found folder
//   120  a found folder's attribute test and appending it to the scan set
//
//   AddFolderFilesToList
//   200  the start folder's scan set
//   202  collecting the folder tree
//   204  listing one folder's files (failures other than "gone" or
//        "permission denied" are reported here)
//   206  testing and appending one file
#include "filelist/folder_scan.h"

#include <sys/stat.h>

#include <functional>
#include <optional>
#include <set>
#include <stdexcept>
#include <utility>

#include "core/error_report.h"
#include "core/routine_identities.h"
#include "filelist/file_list.h"
#include "filelist/name_characters.h"
#include "filelist/wildcard.h"
#include "files/path_helpers.h"
#include "files/platform.h"

namespace tarnwick {

namespace {

constexpr std::uint32_t kHiddenSystemFolder =
    attributes::kDirectory | attributes::kSystem | attributes::kHidden;  // 22
constexpr std::uint32_t kHiddenSystemLink =
    kHiddenSystemFolder | attributes::kReparsePoint;  // 1046
constexpr std::uint32_t kHiddenArchiveFile =
    attributes::kHidden | attributes::kArchive;  // 34

// The folders one scan has taken, by device and inode.
using FolderIdentity = std::pair<dev_t, ino_t>;
using VisitedFolders = std::set<FolderIdentity>;

// Marks the folder as taken; false when it was taken before. A folder that
// cannot be examined counts as new: the tests that follow decide about it.
bool MarkVisited(VisitedFolders& visited, const std::string& folder) {
  struct stat status;
  if (stat(folder.c_str(), &status) != 0) return true;
  return visited.emplace(status.st_dev, status.st_ino).second;
}

// Root folders always pass; others unless their attribute value is exactly
// that of a hidden system folder or link. A folder whose attributes cannot
// be read passes: listing it then tells what became of it.
bool PassesFolderTest(const std::string& folder) {
  if (IsRootFolder(folder)) return true;
  const std::optional<std::uint32_t> value = FileAttributes(folder);
  return !value || (*value != kHiddenSystemFolder && *value != kHiddenSystemLink);
}

bool IsAcceptedFolderName(const std::string& name) {
  return name.size() < kMaxPath && !HasBadNameChars(name) &&
         name.find('?') == std::string::npos && name != "." && name != "..";
}

bool IsDropReason(ListingError error) {
  return error == ListingError::kPermissionDenied ||
         error == ListingError::kPathNotFound;
}

void ScanLevel(std::vector<std::string>& scan_set, bool recursive,
               ScanHost& host, Trap& trap, VisitedFolders& visited) {
  std::vector<std::string> found;
  trap.Run(100, [&] { found.reserve(16); });
  for (std::size_t i = 0; i < scan_set.size(); ++i) {
    const std::string entry = scan_set[i];
    bool go_on = false;
    trap.Run(102, [&] { go_on = entry.size() < kMaxPath && IsFolder(entry); });
    if (!go_on) continue;
    trap.Run(104, [&] { host.Yield(); });
    trap.Run(106, [&] { go_on = PassesFolderTest(entry); });
    if (!go_on) continue;

    DirectoryListing listing;
    trap.Run(108, [&] { listing = ListDirectory(entry, ListingKind::kFolders); });
    for (const std::string& name : listing.names) {
      trap.Run(110, [&] { host.Yield(); });
      trap.Run(112, [&] {
        if (!IsAcceptedFolderName(name)) return;
        std::string folder = entry + name + kSeparatorText;
        if (MarkVisited(visited, folder)) found.push_back(std::move(folder));
      });
    }
    if (IsDropReason(listing.error)) {
      // Take the first equal entry out; it is this one or one before it.
      for (std::size_t j = 0; j <= i; ++j) {
        if (scan_set[j] == entry) {
          scan_set.erase(scan_set.begin() + static_cast<std::ptrdiff_t>(j));
          --i;
          break;
        }
      }
    } else if (listing.error != ListingError::kNone) {
      trap.Run(108, [&] { throw std::runtime_error(listing.reason); });
    }
  }

  if (recursive && !found.empty()) {
    trap.Run(114, [&] { ScanLevel(found, true, host, trap, visited); });
  }

  for (const std::string& folder : found) {
    bool go_on = false;
    trap.Run(116, [&] { go_on = IsFolder(folder); });
    if (!go_on) continue;
    trap.Run(118, [&] { host.Yield(); });
    trap.Run(120, [&] {
      if (PassesFolderTest(folder)) scan_set.push_back(folder);
    });
  }
}

// Appends the accepted files of one scanned folder (no trailing "/").
void AppendFolderFiles(const std::string& scanned, const WildcardPattern& pattern,
                       FileList& list, Trap& trap) {
  FolderFiles files;
  trap.Run(204, [&] {
    files = ListFolderFiles(scanned, pattern);
    if (files.error != ListingError::kNone && !IsDropReason(files.error)) {
      throw std::runtime_error(files.reason);
    }
  });
  for (const std::string& name : files.names) {
    trap.Run(206, [&] {
      if (name[0] == '~') return;
      const std::string path = scanned + kSeparatorText + name;
      // The listing has just found the path an existing file (nothing
      // yields in between), so that test is not asked twice. Only a name
      // beginning with "." carries the hidden bit, so only such a file can
      // have the value 34; other files need no look-up.
      if (name[0] == '.' && FileAttributes(path) == kHiddenArchiveFile) return;
      list.Append(FixBackslashes(path));
    });
  }
}

}  // namespace

FolderFiles ListFolderFiles(const std::string& folder, const WildcardPattern& pattern) {
  std::string base = folder;
  if (base.empty() || base.back() != kSeparator) base += kSeparator;
  std::function<bool(std::string_view)> matches;
  if (!pattern.MatchesEverything()) {
    matches = [&pattern](std::string_view name) { return pattern.Matches(name); };
  }
  DirectoryListing listing =
      ListDirectory(base, ListingKind::kExistingFiles, matches);
  return {std::move(listing.names), listing.error, std::move(listing.reason)};
}

FolderFiles ListFolderFiles(const std::string& folder, const std::string& pattern) {
  return ListFolderFiles(folder, WildcardPattern(pattern));
}

std::vector<std::string> GetFolderFiles(const std::string& folder,
                                        const std::string& pattern) {
  return ListFolderFiles(folder, pattern).names;
}

void GetSubDirectories2016(std::vector<std::string>& scan_set, bool recursive,
                           ScanHost& host) {
  Trap trap(host.Reporter(), routines::kFolderScan);
  VisitedFolders visited;
  for (const std::string& entry : scan_set) MarkVisited(visited, entry);
  ScanLevel(scan_set, recursive, host, trap, visited);
}

void AddFolderFilesToList(const std::string& folder, const std::string& pattern,
                          ScanHost& host) {
  Trap trap(host.Reporter(), routines::kFolderScan);
  std::vector<std::string> scan_set;
  trap.Run(200, [&] { scan_set.push_back(folder + kSeparatorText); });
  trap.Run(202, [&] { GetSubDirectories2016(scan_set, true, host); });
  const WildcardPattern compiled(pattern);
  for (const std::string& entry : scan_set) {
    AppendFolderFiles(entry.substr(0, entry.size() - 1), compiled, host.List(), trap);
  }
}

bool HasBadNameChars(const std::string& name) {
  std::size_t position = 0;
  while (position < name.size()) {
    const NameCharacter character = NextNameCharacter(name, position);
    if (!character.valid) return true;
    const char32_t code = character.code;
    if (code < 32 || (code >= 127 && code <= 159) || code == U'?') return true;
  }
  return false;
}

}  // namespace tarnwick
