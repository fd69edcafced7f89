// Replacing a file's content without ever losing the old content.
#ifndef TARNWICK_FILES_FILE_WRITE_H_
#define TARNWICK_FILES_FILE_WRITE_H_

#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace tarnwick {

struct ReplaceOptions {
  // Permission bits of the new file; when empty, those of the file being
  // replaced (or 0666 less the umask for a new file).
  std::optional<mode_t> mode;
};

// Writes bytes to a new file in the same folder, checks every write and the
// close, flushes it to disk when it replaces an existing file, and renames it
// over path. A path that is a
// symbolic link rewrites the file it points to and keeps the link. A
// read-only file (owner write bit clear) is refused. On any failure the
// temporary file is removed and the old file stays as it was.
// Throws FileError.
void ReplaceFileContents(const std::string& path, std::string_view bytes,
                         const ReplaceOptions& options = {});

// Reads the whole file. Throws FileError.
std::string ReadFileBytes(const std::string& path);

}  // namespace tarnwick

#endif  // TARNWICK_FILES_FILE_WRITE_H_
