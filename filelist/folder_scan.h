// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// The folder-tree scan behind "Add All File(s) In Folder" and dropped
// folders: breadth first, every accepted file whose name matches a pattern.
#ifndef TARNWICK_FILELIST_FOLDER_SCAN_H_
#define TARNWICK_FILELIST_FOLDER_SCAN_H_

#include <string>
#include <vector>

#include "filelist/directory_listing.h"
#include "filelist/wildcard.h"

namespace tarnwick {

class ErrorReporter;
class FileList;

// What a scan needs from its surroundings.
class ScanHost {
 public:
  virtual ~ScanHost() = default;
  // Where accepted files are appended.
  virtual FileList& List() = 0;
  // Lets the event loop run once.
  virtual void Yield() = 0;
  virtual ErrorReporter& Reporter() = 0;
};

// Scans the tree rooted at folder (no trailing "/", or the root "/") and
// appends every accepted file whose name matches pattern ("*.txt", "*.*").
//
// The folders are taken breadth first (GetSubDirectories2016); in each, the
// files in listing order. A name beginning with "~" is skipped, and so is a
// file that is not an existing file or whose attribute value is exactly
// hidden + archive (34). Each appended text is FixBackslashes(folder + "/" +
// name). No test for an equal entry is made. Nothing is appended before the
// last yield. A folder whose files cannot be listed because it has gone or
// may not be read contributes nothing; any other failure is reported (see
// the line numbers in folder_scan.cpp) and the scan goes on.
void AddFolderFilesToList(const std::string& folder, const std::string& pattern,
                          ScanHost& host);

// Extends scan_set (folder paths, each ending with "/") with the subfolders
// of its entries, breadth first; with recursive, level after level until no
// level yields another folder. Yields once per entry it examines, once per
// subfolder it lists and once per found folder it examines again before
// keeping it. Entered: folders that pass the folder test (a root folder, or
// an attribute value neither 22 nor 1046) and whose names pass
// HasBadNameChars and are not "." or "..". No folder (device and inode) is
// taken twice in one call, so links cannot make it loop. An entry whose
// subfolders cannot be listed because it has gone or may not be read is
// taken out of the scan set (the first equal entry); other failures are
// reported under the folder scan's identity and the scan goes on.
void GetSubDirectories2016(std::vector<std::string>& scan_set, bool recursive,
                           ScanHost& host);

// The bare names of the accepted files of one folder that match pattern, in
// listing order: files of every kind except folders (hidden ones too) for
// which IsExistingFile holds. Reports nothing; a folder that cannot be
// listed gives the names read before the failure (usually none).
std::vector<std::string> GetFolderFiles(const std::string& folder,
                                        const std::string& pattern);

// GetFolderFiles with the reason when the folder could not be listed.
struct FolderFiles {
  std::vector<std::string> names;
  ListingError error = ListingError::kNone;
  std::string reason;
};
FolderFiles ListFolderFiles(const std::string& folder, const std::string& pattern);
FolderFiles ListFolderFiles(const std::string& folder,
                            const WildcardPattern& pattern);

// True when the folder name holds a character the scan does not enter: a
// control character (below 32), a code from 127 to 159, "?", or a byte that
// is not part of valid UTF-8. Letters of every script pass. False for "".
bool HasBadNameChars(const std::string& name);

}  // namespace tarnwick

#endif  // TARNWICK_FILELIST_FOLDER_SCAN_H_
