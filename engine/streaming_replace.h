// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// Find-and-replace passes over bytes that arrive in pieces, one pass per
// pair, each pass feeding the next: the same result as the passes one after
// another over the whole, left to right and without overlap. Each pass holds
// back only the few bytes at the end of its input that might begin a match,
// and hands its output on through a buffer of bounded size, so memory does
// not depend on the input's size, its line lengths, the number of pairs or
// how much the replacements make the text grow. When no find shares a byte
// with another find or with an earlier pass's replacement, and no pass but
// the last removes its matches, the passes run as one scan of each piece
// instead, the same result written straight to the output.
#ifndef TARNWICK_ENGINE_STREAMING_REPLACE_H_
#define TARNWICK_ENGINE_STREAMING_REPLACE_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tarnwick {

class ReplaceChain {
 public:
  using Pair = std::pair<std::string, std::string>;  // find, replacement
  using Sink = std::function<void(std::string_view)>;

  // Every find must be non-empty. Results go to sink. room: the bytes that
  // the buffer between two passes holds besides what the later pass holds
  // back; 0 chooses it from the number of pairs, so that all buffers
  // together stay within a few tens of MiB.
  ReplaceChain(std::vector<Pair> pairs, Sink sink, std::size_t room = 0);

  // Takes the next piece; after the last one (last == true), everything
  // has gone to the sink.
  void Feed(std::string_view piece, bool last);

  // True once a removal (an empty replacement) in a pass other than the
  // last has brought a byte of 0x80 or above next to a continuation byte
  // (0x80..0xBF): bytes that were not valid UTF-8 might now form a
  // character for a later pass, so that the result may differ from that of
  // the 16-bit text. Valid UTF-8 never makes this true.
  bool MayHaveJoined() const;

  // The matches each pass has replaced so far, pass by pass.
  std::vector<std::uint64_t> Matches() const;

 private:
  // What follows the pending bytes of a pass once they are handed on.
  enum class Then { kNothing, kReplacement, kRemoval };

  struct Pass {
    std::string find;
    std::string replacement;
    std::string padded_replacement;  // for FeedAtOnce: kSlack bytes more
    bool find_has_line_feed = false;
    std::string input;        // held-back bytes, then what the pass before gave
    std::size_t filled = 0;   // bytes of input in use
    // The data being worked on (this pass's input, or the piece for pass 0).
    std::string_view data;
    std::size_t read = 0;     // data before this is handled
    bool last = false;        // nothing follows data
    const char* pending = nullptr;  // bytes still to hand on
    std::size_t pending_count = 0;
    Then then = Then::kNothing;
    unsigned char last_emitted = 0;
    bool after_removal = false;
    bool may_have_joined = false;
    std::uint64_t matches = 0;  // replaced so far
  };

  // Runs the passes from pass 0 on its new data until all of it has gone
  // through, without recursion (a chain may have many thousands of passes).
  void Pump(std::string_view data, bool last);
  // Works on pass k's data until it is used up (true) or the buffer after
  // it is full (false); can be called again to go on.
  bool Step(std::size_t k);
  // Hands on pass k's pending bytes and what follows them; false when the
  // buffer after it filled first.
  bool HandOn(Pass& pass, std::size_t k);
  // Copies as many of the bytes as fit into the buffer after pass k;
  // returns how many.
  std::size_t Put(Pass& pass, std::size_t k, const char* bytes, std::size_t count);
  // The bytes that the buffer after pass k has room for.
  std::size_t Room(std::size_t k) const;
  // Put for bytes that fit (count <= Room(k)).
  void PutFitting(Pass& pass, std::size_t k, const char* bytes, std::size_t count);
  // Sends the final buffer to the sink.
  void Flush();
  // Whether the passes may run as one scan of each piece (see the .cpp).
  static bool PassesMayRunAsOne(const std::vector<Pass>& passes);
  // All passes in one scan of data, straight into out_; holds back in
  // pass 0's input what might begin a match reaching into the next piece.
  void FeedAtOnce(std::string_view data, bool last);
  // Appends bytes to out_, or sends them on when they do not fit.
  void Emit(const char* bytes, std::size_t count);
  // Grows the buffers between the passes and after the last to hold a piece
  // of `piece` bytes, up to their rooms: a small file never pays for
  // buffers of a big one.
  void MakeRoom(std::size_t piece);

  std::vector<Pass> passes_;
  Sink sink_;
  std::size_t room_;      // most bytes a buffer between passes takes
  std::size_t out_room_;  // most bytes out_ takes
  std::size_t grown_ = 0;  // the piece size the buffers have grown for
  std::string out_;  // the last pass's output not yet sent
  std::size_t out_filled_ = 0;
  std::vector<std::size_t> waiting_;  // passes held up by a full buffer
  bool at_once_ = false;  // the passes run as one scan (FeedAtOnce)
};

}  // namespace tarnwick

#endif  // TARNWICK_ENGINE_STREAMING_REPLACE_H_
