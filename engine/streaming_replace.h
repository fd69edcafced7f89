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

  // Takes the next piece; appends to output all of the result that no later
  // piece can change.
  void Feed(std::string_view piece, std::string& output);
  // The input has ended: appends the rest of the result.
  void Finish(std::string& output);

  // True once a removal (an empty replacement) has brought a byte of 0x80
  // or above next to a continuation byte (0x80..0xBF): bytes that were not
  // valid UTF-8 might now form a character, so that the result no longer
  // decodes to the replaced text. Valid UTF-8 never makes this true.
  bool MayHaveJoined() const { return may_have_joined_; }

 private:
  // Appends bytes of the result, watching the seams left by removals.
  void Emit(std::string_view bytes, std::string& output);

  std::string find_;
  std::string replacement_;
  std::string held_;  // the end of the input so far, not yet settled
  unsigned char last_emitted_ = 0;
  bool after_removal_ = false;
  bool may_have_joined_ = false;
};

}  // namespace tarnwick

#endif  // TARNWICK_ENGINE_STREAMING_REPLACE_H_
