#include "engine/text_operations.h"

#include <algorithm>
#include <optional>
#include <cstdint>
#include <stdexcept>
#include <utility>

#include "engine/edit_tally.h"
#include "engine/piecewise_edit.h"
#include "engine/streaming_replace.h"
#include "engine/text_codec.h"
#include "engine/text_file.h"
#include "engine/text_transforms.h"

// How the operations stay fast on 8-bit text.
//
// 8-bit text is defined through its 16-bit decoding (text_codec.h), and the
// file written is the encoding of the transformed text. Strict decoding
// splits the bytes uniquely into valid sequences and escaped single bytes,
// and encoding maps each unit (or pair) back to exactly its bytes. So:
//  - Dropping ASCII units from the text drops exactly those ASCII bytes:
//    ASCII bytes are always valid and decode to themselves, and no other unit
//    encodes to an ASCII byte. This covers the character filters, the space
//    squeezer and the empty-line remover, which look at ASCII units only.
//  - A find line free of lone surrogates encodes to valid UTF-8 starting with
//    a non-continuation byte; its byte occurrences are exactly the encodings
//    of its occurrences in the text, in the same order, so one left-to-right
//    pass selects the same matches, and replacing them by the encoded
//    replacement (also free of lone surrogates) gives the encoding of the
//    replaced text. For a second pass the bytes must decode to that replaced
//    text again. Valid sequences stay intact and a replacement (valid UTF-8,
//    never starting with a continuation byte) cannot complete an escaped
//    lead byte; only a removal can bring escaped bytes together into a new
//    character, and only where a byte of 0x80 or above meets a continuation
//    byte. StreamingReplace watches for exactly that.
// A 16-bit file whose text is well-formed UTF-16 is converted to UTF-8 and
// then edited as 8-bit text: that UTF-8 decodes back to the same text, so
// all of the above holds for it too. Everything else (16-bit text with lone
// surrogates, lines holding lone surrogates, several pairs where a removal
// might join escaped bytes) works on the whole 16-bit text.
//
// The operations edit files piece by piece, each piece ending
// right after an LF. An LF is never part of a multi-byte sequence, so the
// pieces decode to consecutive stretches of the text; the filters look at
// one unit at a time, the space squeezer at the unit before (an LF at the
// start of a piece), and the empty-line remover is told that a piece
// follows a line end. Find and replace runs each pair as a streaming pass
// over the pieces (holding back the bytes that might begin a match reaching
// into the next piece), the passes one after another, as on the whole text.
//
// Counting (edit_tally.h) costs nothing unless a tally is open, and then
// mostly a subtraction per piece: the filters, the space squeezer and a
// pair whose replacement differs in length from its find text change the
// length by a known amount per change. Three counts need a look of their
// own at the text: characters dropped by the keep-mode filter (multi-byte
// characters), empty lines removed (line feeds before and after), and
// matches of a pair whose replacement has the find text's length.

namespace tarnwick {
namespace {

constexpr std::string_view kLetters =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
constexpr std::string_view kDigits = "0123456789";
constexpr std::string_view kLettersAndDigits =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
constexpr std::string_view kKeepSet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789 \r\n\t";

// Forgets what a path that gave up half-way counted.
void RestartTally() {
  if (EditTally* tally = CurrentTally()) tally->Reset();
}

// The number of characters: UTF-8 lead and single bytes, or 16-bit units
// other than the first of a pair.
std::uint64_t CharacterCount(const std::string& text) {
  return static_cast<std::uint64_t>(std::count_if(
      text.begin(), text.end(),
      [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}
std::uint64_t CharacterCount(const std::u16string& text) {
  return static_cast<std::uint64_t>(std::count_if(
      text.begin(), text.end(),
      [](char16_t c) { return c < 0xD800 || c > 0xDBFF; }));
}

template <class Text>
std::uint64_t LineFeeds(const Text& text) {
  return static_cast<std::uint64_t>(
      std::count(text.begin(), text.end(), typename Text::value_type('\n')));
}

// Reads the whole file as 16-bit text, applies edit and writes it back.
template <class Edit>
void EditWholeText(const std::string& path, Edit&& edit) {
  RestartTally();
  std::u16string text = ReadTextFile(path);
  edit(text, false);
  WriteTextFile(path, text);
}

// Rewrites the file with edit applied, piece by piece to the bytes of its
// 8-bit text (see the note at the top), or else to its whole 16-bit text.
// edit(text, follows_line_end) takes a std::string& or a std::u16string&.
template <class Edit>
void EditFile(const std::string& path, Edit&& edit) {
  try {
    EditFileInPieces(
        path, [&](std::string& piece, bool first, bool) -> std::string_view {
          edit(piece, !first);
          return piece;
        });
  } catch (const NotWellFormedUtf16&) {
    EditWholeText(path, edit);
  }
}

void FilterFile(const std::string& path, std::string_view set, bool keep) {
  const AsciiSet members(set);
  EditTally* const tally = CurrentTally();
  EditFile(path, [&](auto& text, bool) {
    if (tally == nullptr) return DeleteCharacters(text, members, keep);
    // What stays in keep mode is ASCII: one unit, one character.
    const std::uint64_t before = keep ? CharacterCount(text) : text.size();
    DeleteCharacters(text, members, keep);
    tally->changes += before - text.size();
  });
}

struct Pair {
  std::u16string_view find;
  std::u16string_view replacement;
};

// Applies the pairs, one after another, to the 16-bit text.
void ReplacePairs(std::u16string& text, const std::vector<Pair>& pairs) {
  EditTally* const tally = CurrentTally();
  for (const Pair& pair : pairs) {
    const std::size_t count = ReplaceAll(text, pair.find, pair.replacement);
    if (tally != nullptr) {
      tally->per_pair.push_back(count);
      tally->changes += count;
    }
  }
}

// Whether the pairs may be applied to the bytes of 8-bit text (see the
// note at the top).
bool PairsWorkOnBytes(const std::vector<Pair>& pairs) {
  for (const Pair& pair : pairs) {
    if (!IsWellFormedUtf16(pair.find) || !IsWellFormedUtf16(pair.replacement)) {
      return false;
    }
  }
  return true;
}

// Thrown by the byte path when a removal might have joined escaped bytes
// before a later pair; the 16-bit path takes over.
struct BytesMayHaveJoined {};

// Applies the pairs to the bytes of the file's 8-bit text, piece by piece,
// each pair a streaming pass feeding the next.
// Counts a pass's matches while a tally is open: over the whole file each
// match changes the length by the same amount, and a pair whose replacement
// has its find text's length is counted by a removal pass of its own.
class PassCounter {
 public:
  PassCounter(std::size_t find_size, std::size_t replacement_size,
              const std::string& find)
      : find_size_(find_size), replacement_size_(replacement_size) {
    if (find_size == replacement_size) shadow_.emplace(find, std::string());
  }
  void Note(std::string_view in, std::string_view out, bool last) {
    in_ += in.size();
    out_ += out.size();
    if (shadow_) {
      const std::string_view rest = shadow_->Feed(in, last);
      shadow_out_ += rest.size();
    }
  }
  std::uint64_t Matches() const {
    if (shadow_) return (in_ - shadow_out_) / find_size_;
    return replacement_size_ > find_size_
               ? (out_ - in_) / (replacement_size_ - find_size_)
               : (in_ - out_) / (find_size_ - replacement_size_);
  }

 private:
  std::size_t find_size_;
  std::size_t replacement_size_;
  std::optional<StreamingReplace> shadow_;
  std::uint64_t in_ = 0;
  std::uint64_t out_ = 0;
  std::uint64_t shadow_out_ = 0;
};

void ReplaceOnBytes(const std::string& path, const std::vector<Pair>& pairs) {
  std::vector<StreamingReplace> passes;
  EditTally* const tally = CurrentTally();
  std::vector<PassCounter> counters;
  for (const Pair& pair : pairs) {
    std::string find = EncodeUtf8(pair.find);
    std::string replacement = EncodeUtf8(pair.replacement);
    if (tally != nullptr) {
      counters.emplace_back(find.size(), replacement.size(), find);
    }
    passes.emplace_back(std::move(find), std::move(replacement));
  }
  EditFileInPieces(
      path, [&](std::string& piece, bool, bool last) -> std::string_view {
        std::string_view bytes = piece;
        for (std::size_t k = 0; k < passes.size(); ++k) {
          const std::string_view in = bytes;
          bytes = passes[k].Feed(bytes, last);
          if (tally != nullptr) counters[k].Note(in, bytes, last);
          // The last pass's result is written as it is: nothing decodes it.
          if (k + 1 < passes.size() && passes[k].MayHaveJoined()) {
            throw BytesMayHaveJoined{};
          }
        }
        return bytes;
      });
  for (const PassCounter& counter : counters) {
    tally->per_pair.push_back(counter.Matches());
    tally->changes += counter.Matches();
  }
}

}  // namespace

std::vector<std::u16string> SplitLines(std::u16string_view text) {
  std::vector<std::u16string> lines;
  if (text.empty()) return lines;
  std::size_t start = 0;
  for (std::size_t at; (at = text.find(u"\r\n", start)) != text.npos;
       start = at + 2) {
    lines.emplace_back(text.substr(start, at - start));
  }
  lines.emplace_back(text.substr(start));
  return lines;
}

std::u16string FilterCharacters(std::u16string_view text,
                                std::u16string_view set, bool keep) {
  std::u16string result;
  result.reserve(text.size());
  for (char16_t c : text) {
    if ((set.find(c) != set.npos) == keep) result.push_back(c);
  }
  return result;
}

void RemoveAllSpaces(const std::string& path) {
  FilterFile(path, " ", /*keep=*/false);
}

void RemoveExtraSpaces(const std::string& path) {
  EditTally* const tally = CurrentTally();
  EditFile(path, [&](auto& text, bool) {
    const std::size_t before = text.size();
    SqueezeSpaces(text);
    if (tally != nullptr) tally->changes += before - text.size();
  });
}

void RemoveBlankLines(const std::string& path) {
  EditTally* const tally = CurrentTally();
  EditFile(path, [&](auto& text, bool follows_line_end) {
    if (tally == nullptr) return RemoveEmptyLines(text, follows_line_end);
    const std::uint64_t before = LineFeeds(text);
    RemoveEmptyLines(text, follows_line_end);
    tally->changes += before - LineFeeds(text);
  });
}

void RemoveAllTabs(const std::string& path) {
  FilterFile(path, "\t", /*keep=*/false);
}

void RemoveAlphabet(const std::string& path) {
  FilterFile(path, kLetters, /*keep=*/false);
}

void RemoveNumeric(const std::string& path) {
  FilterFile(path, kDigits, /*keep=*/false);
}

void RemoveAlphanumeric(const std::string& path) {
  FilterFile(path, kLettersAndDigits, /*keep=*/false);
}

void RemoveNonAlphanumeric(const std::string& path) {
  FilterFile(path, kKeepSet, /*keep=*/true);
}

void ReplaceInFile(const std::string& path, std::u16string_view find_text,
                   std::u16string_view replace_text) {
  const std::vector<std::u16string> finds = SplitLines(find_text);
  const std::vector<std::u16string> replacements = SplitLines(replace_text);
  if (!replace_text.empty() && replacements.size() < finds.size()) {
    throw std::invalid_argument(
        "The replacement text has fewer lines (" +
        std::to_string(replacements.size()) + ") than the find text (" +
        std::to_string(finds.size()) + "); the file was left unchanged.");
  }
  std::vector<Pair> pairs;
  for (std::size_t k = 0; k < finds.size(); ++k) {
    if (finds[k].empty()) continue;  // an empty find line changes nothing
    pairs.push_back({finds[k], replace_text.empty()
                                   ? std::u16string_view()
                                   : std::u16string_view(replacements[k])});
  }

  if (PairsWorkOnBytes(pairs)) {
    try {
      ReplaceOnBytes(path, pairs);
      return;
    } catch (const BytesMayHaveJoined&) {
      // Nothing was written; work on the 16-bit text instead.
    } catch (const NotWellFormedUtf16&) {
    }
  }
  RestartTally();
  std::u16string text = ReadTextFile(path);
  ReplacePairs(text, pairs);
  WriteTextFile(path, text);
}

}  // namespace tarnwick
