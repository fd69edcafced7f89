// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "engine/piecewise_edit.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <string.h>  // memrchr
#include <sys/stat.h>
#include <unistd.h>

#include "engine/byte_buffer.h"
#include "engine/text_codec.h"
#include "files/file_error.h"
#include "files/file_write.h"
#include "files/path_helpers.h"
#include "files/pending_replacement.h"
#include "files/unique_fd.h"

namespace tarnwick {
namespace {

constexpr const char* kCannotRead = "Cannot read";

// Reads into data until size bytes are there or the file ends; returns the
// count.
std::size_t ReadUpTo(int fd, char* data, std::size_t size,
                     const std::string& path) {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t got = ::read(fd, data + done, size - done);
    if (got < 0) {
      if (errno == EINTR) continue;
      throw FileError::FromErrno(kCannotRead, path, errno);
    }
    if (got == 0) break;
    done += static_cast<std::size_t>(got);
  }
  return done;
}

// The piece buffer for a file of `size` bytes: room for all of it and one
// byte more, so that the first read already meets the end, in whole pages
// and at most kPieceSize. A small file needs no buffer of a full piece.
std::size_t PieceBufferSize(off_t size) {
  constexpr std::size_t kPage = 4096;
  const auto bytes = static_cast<std::uint64_t>(size > 0 ? size : 0) + 1;
  if (bytes >= kPieceSize) return kPieceSize;
  return (static_cast<std::size_t>(bytes) + kPage - 1) & ~(kPage - 1);
}

bool IsHighSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }

// The 16-bit unit at byte k.
char16_t UnitAt(const char* data, std::size_t k, ByteOrderMark mark) {
  const auto b0 = static_cast<unsigned char>(data[k]);
  const auto b1 = static_cast<unsigned char>(data[k + 1]);
  return static_cast<char16_t>(mark == ByteOrderMark::kUtf16LittleEndian
                                   ? b0 | (b1 << 8)
                                   : (b0 << 8) | b1);
}

// Where to end a piece of a full buffer of `filled` bytes (more follow):
// right after the last line feed, or else as late as possible but never
// between a CR and an LF, within a unit or within a surrogate pair.
std::size_t CutPiece(const char* data, std::size_t filled, ByteOrderMark mark) {
  if (mark == ByteOrderMark::kNone) {
    const void* lf = memrchr(data, '\n', filled);
    if (lf != nullptr) {
      return static_cast<std::size_t>(static_cast<const char*>(lf) - data) + 1;
    }
    const std::size_t cut = data[filled - 1] == '\r' ? filled - 1 : filled;
    // Between two characters: before one of the last three bytes that is no
    // continuation byte, or else at cut, since no sequence can then begin
    // in the three bytes before it and reach past it.
    for (std::size_t back = 1; back <= 3; ++back) {
      if ((static_cast<unsigned char>(data[cut - back]) & 0xC0) != 0x80) {
        return cut - back;
      }
    }
    return cut;
  }
  const std::size_t end = filled & ~std::size_t{1};
  for (std::size_t k = end; k >= 2; k -= 2) {
    if (UnitAt(data, k - 2, mark) == u'\n') return k;
  }
  const char16_t before = UnitAt(data, end - 2, mark);
  return before == u'\r' || IsHighSurrogate(before) ? end - 2 : end;
}

// The safe write of an edit's result (see EditFileInPieces).
PendingReplacement StartResult(const EditFiles& files,
                               const EditContext& context, int source_fd,
                               const struct stat& source) {
  if (files.copy_to) {
    return PendingReplacement(
        *files.copy_to, CopyMode(source),
        {files.source, IdOf(source), source_fd,
         static_cast<std::uint64_t>(source.st_size)},
        {context.ledger, context.dry_run ? Preview::kUnchecked : Preview::kOff,
         context.seal});
  }
  return PendingReplacement(
      files.source, std::nullopt,
      {context.ledger, context.dry_run ? Preview::kChecked : Preview::kOff,
       context.seal});
}

// 8-bit text of more than one piece, for edit: the bytes are read straight
// into the string that edit gets, not into a buffer and from there into
// the string, and the few after a piece's cut wait aside meanwhile (in
// aside, of kPieceSize bytes). The pieces are those of a buffer of
// kPieceSize bytes; first holds its first fill.
void EditBytePieces(std::string_view first, int fd, const std::string& path,
                    char* aside, const PieceEdit& edit, const ByteSink& write) {
  std::string piece(first);
  std::size_t filled = piece.size();
  PieceContext context;
  bool at_end = filled < kPieceSize;
  for (;;) {
    const std::size_t cut =
        at_end ? filled : CutPiece(piece.data(), filled, ByteOrderMark::kNone);
    const std::size_t waiting = filled - cut;
    std::memcpy(aside, piece.data() + cut, waiting);
    const auto final_unit =
        static_cast<unsigned char>(cut > 0 ? piece[cut - 1] : '\0');
    piece.resize(cut);
    context.last = at_end;
    if (cut > 0 || at_end) edit(piece, context, write);
    if (cut > 0) {
      context.first = false;
      context.follows_line_end = final_unit == '\n';
      context.follows_space = final_unit == ' ';
    }
    if (at_end) return;
    // Zero-fills only the bytes the edit removed and those after the cut.
    piece.resize(kPieceSize);
    std::memcpy(piece.data(), aside, waiting);
    filled = waiting + ReadUpTo(fd, piece.data() + waiting, kPieceSize - waiting, path);
    at_end = filled < kPieceSize;
  }
}

}  // namespace

void EditFileInPieces(const EditFiles& files, const EditContext& edit_context,
                      const PieceEdit& edit, const UnitEdit& unit_edit) {
  EditTally* const tally = edit_context.tally;
  const bool dry_run = edit_context.dry_run;
  const std::string& path = files.source;
  if (!files.copy_to && NothingAtPath(path, edit_context.ledger)) {
    std::string nothing;
    std::string result;
    PieceContext context;
    context.last = true;
    edit(nothing, context, [&](std::string_view bytes) { result += bytes; });
    if (tally != nullptr) {
      tally->bytes_after += result.size();
      tally->differs = true;  // a file is created
    }
    if (!dry_run) ReplaceFileContents(path, result);
    return;
  }
  UniqueFd file(
      ::open(path.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
  if (file.get() < 0) throw FileError::FromErrno(kCannotRead, path, errno);
  struct stat info {};
  if (::fstat(file.get(), &info) != 0) {
    throw FileError::FromErrno(kCannotRead, path, errno);
  }
  if (S_ISDIR(info.st_mode)) throw FileError::FromErrno(kCannotRead, path, EISDIR);
  if (!S_ISREG(info.st_mode)) {
    throw FileError(kCannotRead, path, "it is not a regular file", EINVAL);
  }
  // A file of more than one piece is read ahead; a smaller one is read at
  // once and needs no advice (one call fewer per small file).
  if (static_cast<std::uint64_t>(info.st_size) >= kPieceSize) {
    posix_fadvise(file.get(), 0, 0, POSIX_FADV_SEQUENTIAL);
  }

  // Bytes are read into the buffer before they are looked at: it is not
  // zero-filled. Sized to the file; should the file turn out longer (it grew,
  // or its size said nothing), the buffer grows to a full piece, so that the
  // pieces are those a buffer of kPieceSize would give.
  ByteBuffer buffer(PieceBufferSize(info.st_size));
  std::size_t filled = 0;
  const auto fill = [&] {
    for (;;) {
      filled += ReadUpTo(file.get(), buffer.data() + filled,
                         buffer.size() - filled, path);
      if (filled < buffer.size() || buffer.size() >= kPieceSize) return;
      buffer.Grow(kPieceSize, filled);
    }
  };
  fill();
  const ByteOrderMark mark =
      DetectByteOrderMark(std::string_view(buffer.data(), filled));
  const bool big_endian = mark == ByteOrderMark::kUtf16BigEndian;

  if (tally != nullptr) {
    tally->bytes_before += static_cast<std::uint64_t>(info.st_size);
  }
  // A dry run writes nothing, not even the temporary file, but compares as
  // the write does (and, in place, refuses what it would refuse); a tally
  // counts what would be written. A copy is compared with its source, read
  // again where it is compared: until the result first differs, and for a
  // result the same as the source, which the kernel then copies.
  PendingReplacement pending = StartResult(files, edit_context, file.get(), info);
  const auto put = [&](std::string_view bytes) {
    if (tally != nullptr) tally->bytes_after += bytes.size();
    pending.Write(bytes);
  };
  // A high surrogate that ended the last 16-bit result, waiting to see
  // whether the next result begins with its low surrogate (0: none).
  char16_t waiting = 0;
  const UnitSink write_units = [&](std::u16string_view text) {
    if (text.empty()) return;
    std::u16string units;
    if (waiting != 0) units += waiting;
    waiting = 0;
    units += text;
    // A high surrogate at the end may pair with the next units.
    if (IsHighSurrogate(units.back())) {
      waiting = units.back();
      units.pop_back();
    }
    put(EncodeUtf8(units));
  };
  const ByteSink write = [&](std::string_view bytes) {
    if (bytes.empty()) return;
    if (waiting != 0) put("?");  // it stays alone
    waiting = 0;
    put(bytes);
  };
  std::string piece;
  std::u16string units;
  PieceContext context;
  bool at_end = filled < buffer.size();
  const bool straight = mark == ByteOrderMark::kNone && edit && !at_end;
  if (straight) {
    EditBytePieces(std::string_view(buffer.data(), filled), file.get(), path,
                   buffer.data(), edit, write);
  }
  while (!straight) {
    const std::size_t cut =
        at_end ? filled : CutPiece(buffer.data(), filled, mark);
    const std::string_view bytes(buffer.data(), cut);
    char16_t final_unit = 0;  // the last unit of the piece, before editing
    bool as_units = false;
    if (mark == ByteOrderMark::kNone) {
      if (cut > 0) final_unit = static_cast<unsigned char>(bytes.back());
      if (edit) {
        piece.assign(bytes);
      } else {
        units = DecodeUtf8(bytes);
        as_units = true;
      }
    } else {
      if (cut >= 2) final_unit = UnitAt(buffer.data(), (cut & ~std::size_t{1}) - 2, mark);
      if (!edit || !TranscodeUtf16ToUtf8(bytes, big_endian, piece)) {
        if (!unit_edit) throw NotWellFormedUtf16{};
        units = DecodeUtf16(bytes, big_endian);
        as_units = true;
      }
    }
    std::memmove(buffer.data(), buffer.data() + cut, filled - cut);
    filled -= cut;
    context.last = at_end;
    if (as_units) {
      unit_edit(units, context, write_units);
    } else if (!piece.empty() || at_end) {
      edit(piece, context, write);
    }
    if (cut > 0) {
      context.first = false;
      context.follows_line_end = final_unit == u'\n';
      context.follows_space = final_unit == u' ';
    }
    if (at_end) break;
    fill();
    at_end = filled < buffer.size();
  }
  if (waiting != 0) put("?");
  pending.Commit();
  if (tally != nullptr) tally->differs = !pending.unchanged();
}

}  // namespace tarnwick
