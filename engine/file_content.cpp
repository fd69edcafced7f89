#include "engine/file_content.h"

#include "files/file_write.h"
#include "files/path_helpers.h"

namespace tarnwick {

std::string ReadWholeFile(const std::string& path) {
  if (!PathExists(path)) return std::string();
  return ReadFileBytes(path);
}

}  // namespace tarnwick
