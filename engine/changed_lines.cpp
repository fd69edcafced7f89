// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "engine/changed_lines.h"

#include <cerrno>
#include <cstring>
#include <algorithm>
#include <deque>
#include <fstream>
#include <stdexcept>
#include <tuple>

#include "engine/text_codec.h"
#include "files/file_error.h"

namespace tarnwick {
namespace {

// Bytes read from a stream at a time.
constexpr std::size_t kChunkBytes = 64 * 1024;

// The stream's text as code units, a chunk at a time, decoded as the
// operations decode a whole file.
class UnitStream {
 public:
  explicit UnitStream(std::istream& in) : in_(in) {
    carry_.resize(2);
    in_.read(carry_.data(), 2);
    carry_.resize(static_cast<std::size_t>(in_.gcount()));
    CheckRead();
    mark_ = DetectByteOrderMark(carry_);
  }

  // Appends the next units to units; false once the stream is used up.
  bool Read(std::u16string& units) {
    if (ended_) return false;
    buffer_.swap(carry_);
    carry_.clear();
    const std::size_t had = buffer_.size();
    buffer_.resize(had + kChunkBytes);
    in_.read(buffer_.data() + had, kChunkBytes);
    const auto got = static_cast<std::size_t>(in_.gcount());
    CheckRead();
    buffer_.resize(had + got);
    ended_ = got < kChunkBytes;
    std::size_t take = buffer_.size();
    if (!ended_) take = mark_ == ByteOrderMark::kNone ? Utf8Boundary() : take & ~std::size_t{1};
    carry_.assign(buffer_, take, std::string::npos);
    const std::string_view bytes(buffer_.data(), take);
    units += mark_ == ByteOrderMark::kNone
                 ? DecodeUtf8(bytes)
                 : DecodeUtf16(bytes, mark_ == ByteOrderMark::kUtf16BigEndian);
    return true;
  }

 private:
  void CheckRead() {
    if (in_.bad()) throw std::runtime_error(std::strerror(errno));
  }

  // Where the buffer may be cut without splitting a character: before the
  // last byte that is not a continuation byte (nothing before it can
  // decode differently then), when a sequence may still be open.
  std::size_t Utf8Boundary() const {
    const std::size_t size = buffer_.size();
    if (size == 0 || static_cast<unsigned char>(buffer_.back()) < 0x80) return size;
    for (std::size_t back = 1; back <= 4 && back <= size; ++back) {
      if ((static_cast<unsigned char>(buffer_[size - back]) & 0xC0) != 0x80) {
        return size - back;
      }
    }
    return size;
  }

  std::istream& in_;
  ByteOrderMark mark_ = ByteOrderMark::kNone;
  std::string carry_;
  std::string buffer_;
  bool ended_ = false;
};

struct Line {
  ShownLine shown;
  std::uint64_t hash = 0;  // of every unit, the line end included
};

// FNV-1a over code units.
void Mix(std::uint64_t& hash, char16_t unit) {
  hash = (hash ^ (unit & 0xFF)) * 0x100000001B3ull;
  hash = (hash ^ (unit >> 8)) * 0x100000001B3ull;
}

class LineReader {
 public:
  explicit LineReader(std::istream& in) : units_(in) {}

  bool Next(Line& line) {
    line = Line{};
    line.hash = 0xCBF29CE484222325ull;
    bool any = false;
    char16_t last = 0;
    for (;;) {
      if (at_ == buffer_.size()) {
        buffer_.clear();
        at_ = 0;
        if (!units_.Read(buffer_)) break;
        continue;
      }
      any = true;
      const std::size_t end = buffer_.find(u'\n', at_);
      const std::size_t stop = end == std::u16string::npos ? buffer_.size() : end;
      for (std::size_t k = at_; k < stop; ++k) Mix(line.hash, buffer_[k]);
      if (line.shown.text.size() < kShownLineUnits) {
        line.shown.text.append(buffer_, at_,
                               std::min(stop - at_, kShownLineUnits - line.shown.text.size()));
      }
      line.shown.length += stop - at_;
      if (stop > at_) last = buffer_[stop - 1];
      if (end != std::u16string::npos) {
        Mix(line.hash, u'\n');
        at_ = end + 1;
        break;
      }
      at_ = stop;
    }
    if (!any) return false;
    // A CR before the line end is part of the line end.
    if (last == u'\r') {
      --line.shown.length;
      if (line.shown.text.size() > line.shown.length) line.shown.text.pop_back();
    }
    line.shown.number = ++number_;
    return true;
  }

 private:
  UnitStream units_;
  std::u16string buffer_;
  std::size_t at_ = 0;
  std::uint64_t number_ = 0;
};

bool Same(const Line& a, const Line& b) {
  return a.hash == b.hash && a.shown.length == b.shown.length &&
         a.shown.text == b.shown.text;
}

// Up to count lines in view, read as needed.
void Fill(std::deque<Line>& lines, LineReader& reader, std::size_t count) {
  Line line;
  while (lines.size() < count && reader.Next(line)) lines.push_back(std::move(line));
}

// The nearest pair of equal lines (i in before, j in after, least i + j);
// none when the look-ahead holds none. Pairs with i < known_before and
// j < known_after are already known to differ and are not compared again.
std::optional<std::pair<std::size_t, std::size_t>> NearestEqual(
    const std::deque<Line>& before, const std::deque<Line>& after,
    std::size_t known_before, std::size_t known_after) {
  std::optional<std::pair<std::size_t, std::size_t>> best;
  for (std::size_t i = 0; i < before.size(); ++i) {
    for (std::size_t j = i < known_before ? known_after : 0; j < after.size(); ++j) {
      if (best && i + j >= best->first + best->second) break;
      if (Same(before[i], after[j])) best = {i, j};
    }
  }
  return best;
}

}  // namespace

ChangedLines CompareTexts(std::istream& before_stream, std::istream& after_stream,
                          std::size_t max_pairs) {
  LineReader before_lines(before_stream);
  LineReader after_lines(after_stream);
  std::deque<Line> before;
  std::deque<Line> after;
  ChangedLines result;
  bool known_unequal = false;  // no two lines in view are equal
  std::size_t kept_before = 0;
  std::size_t kept_after = 0;
  for (;;) {
    Fill(before, before_lines, 1);
    Fill(after, after_lines, 1);
    if (before.empty() && after.empty()) break;
    if (!before.empty() && !after.empty() && Same(before.front(), after.front())) {
      before.pop_front();
      after.pop_front();
      continue;
    }
    Fill(before, before_lines, kLookAheadLines);
    Fill(after, after_lines, kLookAheadLines);
    // After a step that found no equal lines in view and went on by one
    // line on each side, only the lines that came into view since can
    // make an equal pair: the search stays linear in the look-ahead.
    const std::size_t known_before = known_unequal ? kept_before : 0;
    const std::size_t known_after = known_unequal ? kept_after : 0;
    // Lines up to the next equal pair have changed; with none in view, the
    // first lines pair up (or all that one side has left when the other
    // has ended).
    std::size_t gone = 1;
    std::size_t come = 1;
    const auto equal = NearestEqual(before, after, known_before, known_after);
    known_unequal = !equal;
    if (equal) {
      std::tie(gone, come) = *equal;
    } else if (before.empty()) {
      gone = 0;
      come = after.size();
    } else if (after.empty()) {
      gone = before.size();
      come = 0;
    }
    for (std::size_t k = 0; k < std::max(gone, come); ++k) {
      ++result.total;
      if (result.pairs.size() >= max_pairs) continue;
      LinePair pair;
      if (k < gone) pair.before = before[k].shown;
      if (k < come) pair.after = after[k].shown;
      result.pairs.push_back(std::move(pair));
    }
    before.erase(before.begin(), before.begin() + static_cast<std::ptrdiff_t>(gone));
    after.erase(after.begin(), after.begin() + static_cast<std::ptrdiff_t>(come));
    kept_before = before.size();
    kept_after = after.size();
  }
  return result;
}

ChangedLines CompareTextFiles(const std::string& before_path,
                              const std::string& after_path,
                              std::size_t max_pairs) {
  auto open = [](const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw FileError::FromErrno("Cannot read", path, errno);
    return in;
  };
  std::ifstream before = open(before_path);
  std::ifstream after = open(after_path);
  const std::string* reading = &before_path;
  try {
    // Which file failed shows in the stream's state.
    ChangedLines result = CompareTexts(before, after, max_pairs);
    return result;
  } catch (const std::runtime_error& error) {
    if (after.bad()) reading = &after_path;
    throw FileError("Cannot read", *reading, error.what());
  }
}

std::string DisplayLine(std::u16string_view text) {
  std::u16string shown;
  shown.reserve(text.size());
  auto escape = [&shown](const char* prefix, unsigned value, int digits) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (const char* c = prefix; *c != '\0'; ++c) shown += static_cast<char16_t>(*c);
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) {
      shown += static_cast<char16_t>(kHex[(value >> shift) & 0xF]);
    }
  };
  for (std::size_t k = 0; k < text.size(); ++k) {
    const char16_t unit = text[k];
    const bool high = unit >= 0xD800 && unit <= 0xDBFF;
    const bool low = unit >= 0xDC00 && unit <= 0xDFFF;
    if (high && k + 1 < text.size() && text[k + 1] >= 0xDC00 && text[k + 1] <= 0xDFFF) {
      shown += unit;
      shown += text[++k];
    } else if (low && unit >= 0xDC80 && unit <= 0xDCFF) {
      escape("\\x", unit - 0xDC00u, 2);
    } else if (high || low) {
      escape("\\u", unit, 4);
    } else if ((unit < 0x20 && unit != u'\t') || unit == 0x7F) {
      escape("\\x", unit, 2);
    } else {
      shown += unit;
    }
  }
  return EncodeUtf8(shown);
}

}  // namespace tarnwick
