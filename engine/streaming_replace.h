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

 private:
  std::string find_;
  std::string replacement_;
  std::string held_;  // the end of the input so far, not yet settled
};

}  // namespace tarnwick

#endif  // TARNWICK_ENGINE_STREAMING_REPLACE_H_
