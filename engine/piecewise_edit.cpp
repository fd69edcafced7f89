#include "engine/piecewise_edit.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <string.h>  // memrchr
#include <sys/stat.h>
#include <unistd.h>

#include "engine/edit_tally.h"
#include "engine/text_codec.h"
#include "files/file_error.h"
#include "files/file_write.h"
#include "files/path_helpers.h"
#include "files/pending_replacement.h"
#include "files/unique_fd.h"

namespace tarnwick {
namespace {

constexpr const char* kCannotRead = "Cannot read";
constexpr std::size_t kPieceSize = 1u << 20;

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

// The length of the longest start of data[0, filled) that ends right after
// a line feed (in the units of the encoding), or 0 when there is none.
std::size_t CutAfterLastLineFeed(const char* data, std::size_t filled,
                                 ByteOrderMark mark) {
  if (mark == ByteOrderMark::kNone) {
    const void* lf = memrchr(data, '\n', filled);
    return lf == nullptr ? 0
                         : static_cast<std::size_t>(static_cast<const char*>(lf) -
                                                    data) + 1;
  }
  const char low = mark == ByteOrderMark::kUtf16LittleEndian ? '\n' : '\0';
  const char high = mark == ByteOrderMark::kUtf16LittleEndian ? '\0' : '\n';
  for (std::size_t k = filled & ~std::size_t{1}; k >= 2; k -= 2) {
    if (data[k - 2] == low && data[k - 1] == high) return k;
  }
  return 0;
}

}  // namespace

void EditFileInPieces(const std::string& path, const PieceEdit& edit) {
  EditTally* const tally = CurrentTally();
  const bool dry_run = tally != nullptr && tally->dry_run;
  if (NothingAtPath(path)) {
    std::string nothing;
    const std::string_view bytes = edit(nothing, true, true);
    if (tally != nullptr) tally->bytes_after += bytes.size();
    if (!dry_run) ReplaceFileContents(path, bytes);
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
  posix_fadvise(file.get(), 0, 0, POSIX_FADV_SEQUENTIAL);

  std::string buffer(kPieceSize, '\0');
  std::size_t filled = ReadUpTo(file.get(), buffer.data(), buffer.size(), path);
  const ByteOrderMark mark =
      DetectByteOrderMark(std::string_view(buffer.data(), filled));

  if (tally != nullptr) {
    tally->bytes_before += static_cast<std::uint64_t>(info.st_size);
  }
  // A dry run writes nothing, not even the temporary file.
  std::optional<PendingReplacement> output;
  if (!dry_run) output.emplace(path, std::nullopt);
  std::string piece;
  bool first = true;
  bool at_end = filled < buffer.size();
  for (;;) {
    std::size_t cut = filled;
    if (!at_end) {
      cut = CutAfterLastLineFeed(buffer.data(), filled, mark);
      if (cut == 0) {
        // A line longer than the buffer: read more of it before editing.
        buffer.resize(buffer.size() * 2);
        filled += ReadUpTo(file.get(), buffer.data() + filled,
                           buffer.size() - filled, path);
        at_end = filled < buffer.size();
        continue;
      }
    }
    const std::string_view bytes(buffer.data(), cut);
    if (mark == ByteOrderMark::kNone) {
      piece.assign(bytes);
    } else {
      if (!TranscodeUtf16ToUtf8(bytes, mark == ByteOrderMark::kUtf16BigEndian,
                                piece)) {
        throw NotWellFormedUtf16{};
      }
    }
    std::memmove(buffer.data(), buffer.data() + cut, filled - cut);
    filled -= cut;
    if (!piece.empty() || at_end) {
      const std::string_view bytes = edit(piece, first, at_end);
      if (tally != nullptr) tally->bytes_after += bytes.size();
      if (output) output->Write(bytes);
      first = false;
    }
    if (at_end) break;
    filled += ReadUpTo(file.get(), buffer.data() + filled,
                       buffer.size() - filled, path);
    at_end = filled < buffer.size();
  }
  if (output) output->Commit();
}

}  // namespace tarnwick
