// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// One folder's direct entries, split into files and subfolders, sorted the
// way the Windows file system returns them: by name without regard to case
// (letters compared in upper case), ties broken by byte order, so that every
// scan is repeatable. "." and ".." are never listed.
#ifndef TARNWICK_FILELIST_DIRECTORY_LISTING_H_
#define TARNWICK_FILELIST_DIRECTORY_LISTING_H_

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

enum class ListingError {
  kNone,
  kPermissionDenied,  // the folder may not be read
  kPathNotFound,      // the folder has gone, or the path is not a folder
  kOther,             // any other failure; see DirectoryListing::reason
};

enum class ListingKind {
  kFiles,          // everything that is not a folder (a link to a folder is one)
  kExistingFiles,  // the files for which IsExistingFile holds
  kFolders,        // subfolders, links to folders included
};

struct DirectoryListing {
  std::vector<std::string> names;  // bare names, sorted
  // When not kNone the listing stopped where it failed; names read before
  // the failure are kept.
  ListingError error = ListingError::kNone;
  std::string reason;  // the system's reason, with the folder, for kOther
};

// Lists the entries of folder (with or without a trailing "/") of the
// given kind whose names pass accept_name (all when it is empty). Never
// throws for a file-system failure.
//
// For kExistingFiles the test is IsExistingFile's (the path names a regular
// file, links followed). It is asked relative to the open folder, and for an
// entry the listing itself gives as a regular file only once per folder
// (whether the folder may be searched), so a large folder costs no look-up
// per file; a path too long for the platform fails it as it would there.
DirectoryListing ListDirectory(
    const std::string& folder, ListingKind kind,
    const std::function<bool(std::string_view)>& accept_name = {});

// Sorts names in listing order.
void SortInListingOrder(std::vector<std::string>& names);

// True when a comes before b in listing order.
bool ComesBeforeInListing(std::string_view a, std::string_view b);

}  // namespace tarnwick

#endif  // TARNWICK_FILELIST_DIRECTORY_LISTING_H_
