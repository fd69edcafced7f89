#include "engine/file_content.h"

#include "batch/file_write.h"
#include "batch/path_helpers.h"

namespace tarnwick {

std::string ReadWholeFile(const std::string& path) {
  if (!PathExists(path)) return std::string();
  return ReadFileBytes(path);
}

}  // namespace tarnwick
