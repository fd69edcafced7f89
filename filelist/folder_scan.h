// The folder-tree scan behind "Add All File(s) In Folder" and dropped
// folders: breadth first, every accepted file whose name matches a pattern.
#ifndef TARNWICK_FILELIST_FOLDER_SCAN_H_
#define TARNWICK_FILELIST_FOLDER_SCAN_H_

#include <string>
#include <vector>

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
void AddFolderFilesToList(const std::string& folder, const std::string& pattern,
                          ScanHost& host);

// The bare names of the accepted files of one folder that match pattern, in
// listing order.
std::vector<std::string> GetFolderFiles(const std::string& folder,
                                        const std::string& pattern);

// True when the folder name holds a character the scan does not enter.
bool HasBadNameChars(const std::string& name);

}  // namespace tarnwick

#endif  // TARNWICK_FILELIST_FOLDER_SCAN_H_
