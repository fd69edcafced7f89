// A replacement of one file's content in progress: the new content goes to
// a new file beside the file being replaced and takes its place only on
// Commit(). Until then, and whenever a step fails, the old file stays as it
// was and the new file is removed. Used by the safe write and the safe copy.
#ifndef TARNWICK_FILES_PENDING_REPLACEMENT_H_
#define TARNWICK_FILES_PENDING_REPLACEMENT_H_

#include <optional>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <sys/types.h>

namespace tarnwick {

// The file a path finally names once symbolic links are followed (the path
// itself when it is no link). A dangling link gives the missing file it
// points to. Throws FileError for a loop of links.
std::string ResolveLinks(const std::string& path);

class PendingReplacement {
 public:
  // Checks that the file path names (after links) may be replaced: it must
  // be a regular file whose owner write bit is set and that the system lets
  // us open for writing, or missing in an existing folder. Then creates the
  // new file beside it with the given permission bits (by default those of
  // the old file, or 0666 less the umask for a new one). Throws FileError
  // naming path.
  PendingReplacement(const std::string& path, std::optional<mode_t> mode);
  ~PendingReplacement();
  PendingReplacement(const PendingReplacement&) = delete;
  PendingReplacement& operator=(const PendingReplacement&) = delete;

  // Appends bytes to the new file. Throws FileError.
  void Write(std::string_view bytes);
  // Appends the content of an open file, from its current offset to its
  // end. Throws FileError (action "Cannot read" when reading failed).
  void CopyFrom(int source_fd, const std::string& source_path);
  // Closes the new file and renames it over the old file; when an old file
  // is replaced, the new one is flushed to disk first, so that a crash
  // leaves either the old content or the new. Throws FileError; afterwards nothing is left to clean up.
  void Commit();

  // The file being replaced, links followed.
  const std::string& target() const { return target_; }

 private:
  // Removes the new file and throws FileError.
  [[noreturn]] void Fail(int error_number);
  [[noreturn]] void Fail(int error_number, const char* action,
                         const std::string& path);

  std::string path_;        // as the caller named it, for messages
  std::string target_;      // the file that is replaced
  std::string temporary_;   // the new file while it is pending
  int fd_ = -1;
  bool replaces_existing_ = false;
};

}  // namespace tarnwick

#endif  // TARNWICK_FILES_PENDING_REPLACEMENT_H_
