// Reading a file whole into memory, in one allocation of its size.
#ifndef TARNWICK_ENGINE_FILE_CONTENT_H_
#define TARNWICK_ENGINE_FILE_CONTENT_H_

#include <string>

namespace tarnwick {

// The bytes of the file at path; the empty string when nothing exists at the
// path (NothingAtPath, files/file_write.h). Throws FileError when the file cannot be opened
// or read, naming the file and the system's reason.
std::string ReadWholeFile(const std::string& path);

}  // namespace tarnwick

#endif  // TARNWICK_ENGINE_FILE_CONTENT_H_
