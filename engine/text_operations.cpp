// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "engine/text_operations.h"

#include <cerrno>
#include <new>
#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <utility>

#include "engine/piecewise_edit.h"
#include "engine/streaming_replace.h"
#include "engine/text_codec.h"
#include "engine/text_transforms.h"
#include "files/file_error.h"

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
//    byte. ReplaceChain watches for exactly that.
// A 16-bit file whose text is well-formed UTF-16 is converted to UTF-8 and
// then edited as 8-bit text: that UTF-8 decodes back to the same text, so
// all of the above holds for it too. The fixed operations edit a piece of
// 16-bit text that holds a lone surrogate as 16-bit text. Find and replace
// on 16-bit files with lone surrogates,
// lines holding lone surrogates, and several pairs where a removal might
// join escaped bytes, streams the 16-bit text instead, each unit as its own
// UTF-8-like codeword (ReplaceOnUnits).
//
// The operations edit files piece by piece. A piece ends right after an LF
// or, when none comes for a whole piece, anywhere but between a CR and an
// LF (or within a unit or a surrogate pair of 16-bit text). The filters
// look at one unit at a time; the space squeezer is told whether the piece
// follows a space and the empty-line remover whether it follows an LF; the
// byte forms of these look at ASCII bytes only, so a piece ending within a
// UTF-8 sequence changes nothing. Find and replace runs each pair as a
// streaming pass over the pieces (holding back the bytes that might begin a
// match reaching into the next piece), the passes one after another, as on
// the whole text; where no pass can see another's work (streaming_replace.h),
// all of them run as one scan of each piece.

namespace tarnwick {
namespace {

constexpr std::string_view kLetters =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
constexpr std::string_view kDigits = "0123456789";
constexpr std::string_view kLettersAndDigits =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
constexpr std::string_view kKeepSet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789 \r\n\t";

// Counting (edit_tally.h) costs nothing unless a tally is given, and then
// mostly a subtraction per piece: the filters and the space squeezer change
// the length by one per change, and the passes of find and replace count
// their own matches. Two counts need a look of their own at the text:
// characters dropped by the keep-mode filter (multi-byte characters) and
// empty lines removed (line feeds before and after).

// The number of characters of the text's 16-bit decoding, a stray byte
// (its byte escape) and a lone surrogate counting as one each: 16-bit units
// other than the first of a high-low pair.
std::uint64_t CharacterCount(const std::u16string& text) {
  std::uint64_t count = text.size();
  for (std::size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] >= 0xD800 && text[i] <= 0xDBFF && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      --count;
      ++i;
    }
  }
  return count;
}
// The same for 8-bit text: in valid UTF-8, the lead and single bytes. A
// piece of 8-bit text ends between two characters of the whole text's
// decoding (piecewise_edit.h), so the pieces' counts add up.
std::uint64_t CharacterCount(const std::string& text) {
  if (!IsValidUtf8(text)) return CharacterCount(DecodeUtf8(text));
  return static_cast<std::uint64_t>(std::count_if(
      text.begin(), text.end(),
      [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

template <class Text>
std::uint64_t LineFeeds(const Text& text) {
  return static_cast<std::uint64_t>(
      std::count(text.begin(), text.end(), typename Text::value_type('\n')));
}


// Writes files with edit applied, piece by piece to the bytes of its
// 8-bit text (see the note at the top), or to the pieces of 16-bit text
// that hold lone surrogates. edit(text, context) takes a std::string& or a
// std::u16string& and the piece's PieceContext.
template <class Edit>
void EditPieces(const EditFiles& files, const EditContext& context,
                Edit&& edit) {
  EditFileInPieces(
      files, context,
      [&](std::string& piece, const PieceContext& where,
          const ByteSink& write) {
        edit(piece, where);
        write(piece);
      },
      [&](std::u16string& units, const PieceContext& where,
          const UnitSink& write) {
        edit(units, where);
        write(units);
      });
}

void FilterFile(const EditFiles& files, const EditContext& context,
                std::string_view set, bool keep) {
  const AsciiSet members(set);
  EditTally* const tally = context.tally;
  EditPieces(files, context, [&](auto& text, const PieceContext&) {
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
  std::size_t line = 0;  // the find line's index among all find lines
};

// Adds a finished chain's matches to the tally, each to its find line's
// entry among line_count (the empty find lines, which have no pair, keep 0).
void CountMatches(const ReplaceChain& chain, const std::vector<Pair>& pairs,
                  std::size_t line_count, EditTally* tally) {
  if (tally == nullptr) return;
  std::vector<std::uint64_t>& per_line = tally->per_pair.emplace(line_count, 0);
  const std::vector<std::uint64_t>& matches = chain.Matches();
  for (std::size_t k = 0; k < pairs.size() && k < matches.size(); ++k) {
    per_line[pairs[k].line] += matches[k];
    tally->changes += matches[k];
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
void ReplaceOnBytes(const EditFiles& files, const EditContext& context,
                    const std::vector<Pair>& pairs, std::size_t line_count) {
  std::vector<ReplaceChain::Pair> byte_pairs;
  for (const Pair& pair : pairs) {
    byte_pairs.emplace_back(EncodeUtf8(pair.find), EncodeUtf8(pair.replacement));
  }
  const ByteSink* write = nullptr;
  ReplaceChain chain(std::move(byte_pairs),
                     [&](std::string_view bytes) { (*write)(bytes); });
  EditFileInPieces(files, context,
                   [&](std::string& piece, const PieceContext& where,
                       const ByteSink& sink) {
                     write = &sink;
                     chain.Feed(piece, where.last);
                     // The last pass's result is written as it is: nothing
                     // decodes it.
                     if (chain.MayHaveJoined()) throw BytesMayHaveJoined{};
                   });
  CountMatches(chain, pairs, line_count, context.tally);
}

// Each unit on its own in the manner of UTF-8, surrogates included: one,
// two or three bytes, the first never a continuation byte. No codeword
// begins inside another, so the byte occurrences of an encoded find line
// are exactly the encodings of its occurrences in the text.
void AppendUnitBytes(std::u16string_view units, std::string& bytes) {
  for (const char16_t u : units) {
    if (u < 0x80) {
      bytes += static_cast<char>(u);
    } else if (u < 0x800) {
      bytes += static_cast<char>(0xC0 | (u >> 6));
      bytes += static_cast<char>(0x80 | (u & 0x3F));
    } else {
      bytes += static_cast<char>(0xE0 | (u >> 12));
      bytes += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
      bytes += static_cast<char>(0x80 | (u & 0x3F));
    }
  }
}

// Turns unit bytes back into units, a codeword split between two calls
// included.
class UnitBytesDecoder {
 public:
  void Decode(std::string_view bytes, std::u16string& units) {
    for (const char c : bytes) {
      const auto b = static_cast<unsigned char>(c);
      if ((b & 0xC0) != 0x80) {
        value_ = b < 0x80 ? b : b < 0xE0 ? (b & 0x1F) : (b & 0x0F);
        missing_ = b < 0x80 ? 0 : b < 0xE0 ? 1 : 2;
      } else {
        value_ = (value_ << 6) | (b & 0x3F);
        --missing_;
      }
      if (missing_ == 0) units += static_cast<char16_t>(value_);
    }
  }

 private:
  unsigned value_ = 0;
  int missing_ = 0;
};

// Applies the pairs to the file's 16-bit text piece by piece, as unit
// bytes through the same chain of streaming passes: for texts with lone
// surrogates, and wherever the bytes of 8-bit text would not do.
void ReplaceOnUnits(const EditFiles& files, const EditContext& context,
                    const std::vector<Pair>& pairs, std::size_t line_count) {
  std::vector<ReplaceChain::Pair> unit_pairs;
  for (const Pair& pair : pairs) {
    ReplaceChain::Pair& bytes = unit_pairs.emplace_back();
    AppendUnitBytes(pair.find, bytes.first);
    AppendUnitBytes(pair.replacement, bytes.second);
  }
  const UnitSink* write = nullptr;
  UnitBytesDecoder decoder;
  std::u16string decoded;
  ReplaceChain chain(std::move(unit_pairs), [&](std::string_view bytes) {
    decoded.clear();
    decoder.Decode(bytes, decoded);
    (*write)(decoded);
  });
  std::string encoded;
  EditFileInPieces(files, context, nullptr,
                   [&](std::u16string& units, const PieceContext& where,
                       const UnitSink& sink) {
                     write = &sink;
                     encoded.clear();
                     AppendUnitBytes(units, encoded);
                     chain.Feed(encoded, where.last);
                   });
  CountMatches(chain, pairs, line_count, context.tally);
}

void RemoveExtraSpacesIn(const EditFiles& files, const EditContext& context) {
  EditTally* const tally = context.tally;
  EditPieces(files, context, [&](auto& text, const PieceContext& where) {
    const std::size_t before = text.size();
    SqueezeSpaces(text, where.follows_space);
    if (tally != nullptr) tally->changes += before - text.size();
  });
}

void RemoveBlankLinesIn(const EditFiles& files, const EditContext& context) {
  EditTally* const tally = context.tally;
  EditPieces(files, context, [&](auto& text, const PieceContext& where) {
    if (tally == nullptr) {
      return RemoveEmptyLines(text, where.follows_line_end);
    }
    const std::uint64_t before = LineFeeds(text);
    RemoveEmptyLines(text, where.follows_line_end);
    tally->changes += before - LineFeeds(text);
  });
}

void ReplaceIn(const EditFiles& files, const EditContext& context,
               std::u16string_view find_text, std::u16string_view replace_text) {
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
    pairs.push_back({finds[k],
                     replace_text.empty() ? std::u16string_view()
                                          : std::u16string_view(replacements[k]),
                     k});
  }
  if (PairsWorkOnBytes(pairs)) {
    try {
      ReplaceOnBytes(files, context, pairs, finds.size());
      return;
    } catch (const BytesMayHaveJoined&) {
      // Nothing was written; stream the 16-bit text instead.
    } catch (const NotWellFormedUtf16&) {
    }
  }
  // Forget what the path that gave up half-way counted.
  if (context.tally != nullptr) context.tally->Reset();
  ReplaceOnUnits(files, context, pairs, finds.size());
}

void Run(Operation operation, const EditTexts& texts, const EditFiles& files,
         const EditContext& context) {
  switch (operation) {
    case Operation::kCopyUnchanged:
      return EditPieces(files, context, [](auto&, const PieceContext&) {});
    case Operation::kRemoveAllSpaces:
      return FilterFile(files, context, " ", /*keep=*/false);
    case Operation::kRemoveExtraSpaces:
      return RemoveExtraSpacesIn(files, context);
    case Operation::kRemoveBlankLines:
      return RemoveBlankLinesIn(files, context);
    case Operation::kRemoveAllTabs:
      return FilterFile(files, context, "\t", /*keep=*/false);
    case Operation::kRemoveAlphabet:
      return FilterFile(files, context, kLetters, /*keep=*/false);
    case Operation::kRemoveNumeric:
      return FilterFile(files, context, kDigits, /*keep=*/false);
    case Operation::kRemoveAlphanumeric:
      return FilterFile(files, context, kLettersAndDigits, /*keep=*/false);
    case Operation::kRemoveNonAlphanumeric:
      return FilterFile(files, context, kKeepSet, /*keep=*/true);
    case Operation::kRemoveText:
      return ReplaceIn(files, context, texts.find, u"");
    case Operation::kFindAndReplace:
      return ReplaceIn(files, context, texts.find, texts.replace);
  }
}

// Edits a file in place by its path, outside any run.
void EditInPlace(Operation operation, const std::string& path,
                 const EditTexts& texts = {}) {
  EditFile(operation, texts, EditFiles{path, std::nullopt}, EditContext{});
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

void EditFile(Operation operation, const EditTexts& texts,
              const EditFiles& files, const EditContext& context) {
  // A lack of memory is reported in plain words naming the file written
  // (the safe write has then left nothing behind and the file as it was).
  try {
    Run(operation, texts, files, context);
  } catch (const std::bad_alloc&) {
    throw FileError("Cannot edit", files.written(),
                    "there is not enough memory to edit this file", ENOMEM);
  }
}

void RemoveAllSpaces(const std::string& path) {
  EditInPlace(Operation::kRemoveAllSpaces, path);
}
void RemoveExtraSpaces(const std::string& path) {
  EditInPlace(Operation::kRemoveExtraSpaces, path);
}
void RemoveBlankLines(const std::string& path) {
  EditInPlace(Operation::kRemoveBlankLines, path);
}
void RemoveAllTabs(const std::string& path) {
  EditInPlace(Operation::kRemoveAllTabs, path);
}
void RemoveAlphabet(const std::string& path) {
  EditInPlace(Operation::kRemoveAlphabet, path);
}
void RemoveNumeric(const std::string& path) {
  EditInPlace(Operation::kRemoveNumeric, path);
}
void RemoveAlphanumeric(const std::string& path) {
  EditInPlace(Operation::kRemoveAlphanumeric, path);
}
void RemoveNonAlphanumeric(const std::string& path) {
  EditInPlace(Operation::kRemoveNonAlphanumeric, path);
}

void ReplaceInFile(const std::string& path, std::u16string_view find_text,
                   std::u16string_view replace_text) {
  EditInPlace(Operation::kFindAndReplace, path,
              EditTexts{find_text, replace_text});
}

}  // namespace tarnwick
