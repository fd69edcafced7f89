// One find-and-replace pass over bytes that arrive in pieces: the same
// result as one left-to-right pass without overlap over the whole, holding
// back only the few bytes at the end of a piece that might begin a match.
#ifndef TARNWICK_ENGINE_STREAMING_REPLACE_H_
#define TARNWICK_ENGINE_STREAMING_REPLACE_H_

#include <string>
#include <string_view>

namespace tarnwick {

class StreamingReplace {
 public:
  // find must not be empty.
  StreamingReplace(std::string find, std::string replacement);

  // Takes the next piece and returns all of the result that no later piece
  // can change; after the last piece, all the rest. The view stays valid
  // until the next call.
  std::string_view Feed(std::string_view piece, bool last);

  // True once a removal (an empty replacement) has brought a byte of 0x80
  // or above next to a continuation byte (0x80..0xBF): bytes that were not
  // valid UTF-8 might now form a character, so that the result no longer
  // decodes to the replaced text. Valid UTF-8 never makes this true.
  bool MayHaveJoined() const { return may_have_joined_; }

 private:
  // Watches the seams that removals leave, for non-empty bytes of the
  // result about to be given out.
  void NoteEmitted(std::string_view bytes);

  std::string find_;
  std::string replacement_;
  bool find_has_line_feed_;
  std::string held_;     // the end of the input so far, not yet settled
  std::string joined_;   // held_ followed by the piece
  std::string result_;   // only ever grows, so it is not cleared each time
  unsigned char last_emitted_ = 0;
  bool after_removal_ = false;
  bool may_have_joined_ = false;
};

}  // namespace tarnwick

#endif  // TARNWICK_ENGINE_STREAMING_REPLACE_H_
