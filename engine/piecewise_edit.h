// Rewriting a text file piece by piece, so that even a very large file
// needs only a small buffer, much as the classic stream editors work.
#ifndef TARNWICK_ENGINE_PIECEWISE_EDIT_H_
#define TARNWICK_ENGINE_PIECEWISE_EDIT_H_

#include <functional>
#include <string>
#include <string_view>

namespace tarnwick {

// edit(piece, first, last): returns the bytes to write for one piece of the
// file as 8-bit text (the piece itself, edited in place, or bytes of the
// edit's own, valid until the next call). Every piece but the last ends
// right after an LF, so a CR LF or a character is never split and every
// piece but the first begins a line. The last piece may be empty. An edit
// may hold bytes back and write them with a later piece.
using PieceEdit =
    std::function<std::string_view(std::string& piece, bool first, bool last)>;

// Thrown when a 16-bit file holds a lone surrogate (or an odd last byte),
// whose UTF-8 would not decode back to the same text; nothing is written.
struct NotWellFormedUtf16 {};

// Reads the file at path in pieces, edits each and writes the results by
// the safe write (the old content survives any failure; a read-only file is
// refused). The pieces of 8-bit text are its bytes; a file with a UTF-16
// byte-order mark is converted to UTF-8 piece by piece (its mark becoming
// the UTF-8 mark). A missing file counts as empty and is created (not while
// a run ledger is open: files/run_ledger.h). Throws
// FileError, NotWellFormedUtf16, or whatever edit throws.
void EditFileInPieces(const std::string& path, const PieceEdit& edit);

}  // namespace tarnwick

#endif  // TARNWICK_ENGINE_PIECEWISE_EDIT_H_
