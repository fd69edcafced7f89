#include "engine/streaming_replace.h"

#include <cstring>
#include <utility>

#include "engine/byte_search.h"

namespace tarnwick {
namespace {

// memcpy for the many short stretches between matches, without a call.
inline void CopyBytes(char* to, const char* from, std::size_t count) {
  if (count >= 16) {
    std::memcpy(to, from, count);
  } else if (count >= 8) {
    std::memcpy(to, from, 8);
    std::memcpy(to + count - 8, from + count - 8, 8);
  } else if (count >= 4) {
    std::memcpy(to, from, 4);
    std::memcpy(to + count - 4, from + count - 4, 4);
  } else {
    for (std::size_t k = 0; k < count; ++k) to[k] = from[k];
  }
}

}  // namespace

StreamingReplace::StreamingReplace(std::string find, std::string replacement)
    : find_(std::move(find)),
      replacement_(std::move(replacement)),
      find_has_line_feed_(find_.find('\n') != std::string::npos) {}

std::string_view StreamingReplace::Feed(std::string_view piece, bool last) {
  std::string_view input = piece;
  if (!held_.empty()) {
    joined_.assign(held_).append(piece);
    input = joined_;
  }
  const std::size_t m = find_.size();
  const std::size_t r = replacement_.size();
  // Room for the worst case: every possible match replaced.
  const std::size_t room =
      input.size() + (r > m ? (input.size() / m + 1) * (r - m) : 0);
  if (result_.size() < room) result_.resize(room);
  char* const begin = result_.data();
  char* out = begin;
  auto emit = [&](const char* bytes, std::size_t count) {
    if (count == 0) return;
    NoteEmitted(std::string_view(bytes, count));
    CopyBytes(out, bytes, count);
    out += count;
  };

  std::size_t read = 0;
  if (r != 0) {
    // A replacement leaves no seam to watch: the bytes go straight through.
    out = ReplaceAllBytes(input, read, find_, replacement_, out);
  } else {
    constexpr std::size_t kBatch = 256;
    std::size_t hits[kBatch];
    for (;;) {
      const std::size_t found = FindAllBytes(input, read, find_, hits, kBatch);
      for (std::size_t k = 0; k < found; ++k) {
        emit(input.data() + read, hits[k] - read);
        after_removal_ = true;
        read = hits[k] + m;
      }
      if (found < kBatch) break;
    }
  }
  // A match that starts in the last m - 1 bytes might reach into the next
  // piece: hold those bytes back. It cannot when the input ends with an LF
  // that the find text lacks, since the match would have to hold that LF.
  const std::size_t rest = input.size() - read;
  std::size_t hold = rest < m - 1 ? rest : m - 1;
  if (!find_has_line_feed_ && !input.empty() && input.back() == '\n') hold = 0;
  if (last) hold = 0;
  emit(input.data() + read, rest - hold);
  held_.assign(input.substr(input.size() - hold));
  return std::string_view(begin, static_cast<std::size_t>(out - begin));
}

void StreamingReplace::NoteEmitted(std::string_view bytes) {
  const auto first = static_cast<unsigned char>(bytes.front());
  if (after_removal_ && last_emitted_ >= 0x80 && (first & 0xC0) == 0x80) {
    may_have_joined_ = true;
  }
  after_removal_ = false;
  last_emitted_ = static_cast<unsigned char>(bytes.back());
}

}  // namespace tarnwick
