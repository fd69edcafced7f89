#include "engine/file_content.h"

#include "files/file_write.h"

namespace tarnwick {

std::string ReadWholeFile(const std::string& path) {
  if (NothingAtPath(path)) return std::string();
  return ReadFileBytes(path);
}

}  // namespace tarnwick
