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
    Emit(input.substr(read, hit - read), output);
    Emit(replacement_, output);
    if (replacement_.empty()) after_removal_ = true;
    read = hit + find_.size();
  }
  // A match that starts in the last find_.size() - 1 bytes would reach
  // into the next piece: hold those bytes back.
  const std::size_t rest = input.size() - read;
  const std::size_t hold = rest < find_.size() - 1 ? rest : find_.size() - 1;
  Emit(input.substr(read, rest - hold), output);
  held_.assign(input.substr(input.size() - hold));
}

void StreamingReplace::Finish(std::string& output) {
  Emit(held_, output);
  held_.clear();
}

void StreamingReplace::Emit(std::string_view bytes, std::string& output) {
  if (bytes.empty()) return;
  const auto first = static_cast<unsigned char>(bytes.front());
  if (after_removal_ && last_emitted_ >= 0x80 && (first & 0xC0) == 0x80) {
    may_have_joined_ = true;
  }
  after_removal_ = false;
  last_emitted_ = static_cast<unsigned char>(bytes.back());
  output.append(bytes);
}

}  // namespace tarnwick
