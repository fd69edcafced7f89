#include "engine/streaming_replace.h"

#include <utility>

#include "engine/byte_search.h"

namespace tarnwick {

StreamingReplace::StreamingReplace(std::string find, std::string replacement)
    : find_(std::move(find)), replacement_(std::move(replacement)) {}

void StreamingReplace::Feed(std::string_view piece, std::string& output) {
  std::string joined;
  std::string_view input = piece;
  if (!held_.empty()) {
    joined.reserve(held_.size() + piece.size());
    joined.append(held_).append(piece);
    input = joined;
  }
  std::size_t read = 0;
  for (std::size_t hit; (hit = FindBytes(input, read, find_)) != input.npos;) {
    output.append(input.substr(read, hit - read)).append(replacement_);
    read = hit + find_.size();
  }
  // A match that starts in the last find_.size() - 1 bytes would reach
  // into the next piece: hold those bytes back.
  const std::size_t rest = input.size() - read;
  const std::size_t hold = rest < find_.size() - 1 ? rest : find_.size() - 1;
  output.append(input.substr(read, rest - hold));
  held_.assign(input.substr(input.size() - hold));
}

void StreamingReplace::Finish(std::string& output) {
  output.append(held_);
  held_.clear();
}

}  // namespace tarnwick
