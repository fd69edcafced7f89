// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "bench/sample_corpus.h"

#include <cstdint>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "engine/text_codec.h"

namespace tarnwick::bench {
namespace {

const char* const kWords[] = {
    "the", "quick", "brown", "fox", "jumps", "over", "lazy", "dog", "lorem",
    "Lorem", "dolor", "sit", "amet", "File", "Report", "batch", "edit",
    "caf\xC3\xA9", "\xC3\xA9t\xC3\xA9", "na\xC3\xAFve", "fa\xC3\xA7" "ade",
    "d\xC3\xA9j\xC3\xA0", "\xC3\xBC" "ber", "Stra\xC3\x9F" "e", "\xC3\x86r\xC3\xB8",
    "r\xC3\xA9sum\xC3\xA9", "\xE2\x82\xAC", "(see", "below),", "end.", "x=1;",
};

// A small fast generator, so that the corpus is the same on every run.
class Random {
 public:
  std::uint32_t Next(std::uint32_t bound) {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 7;
    state_ ^= state_ << 17;
    return static_cast<std::uint32_t>(state_ % bound);
  }

 private:
  std::uint64_t state_ = 0x9E3779B97F4A7C15ull;
};

// Appends one line with its CR LF.
void AppendLine(Random& random, std::string& out) {
  const std::uint32_t kind = random.Next(100);
  if (kind < 6) {  // a blank line, sometimes several
    for (std::uint32_t n = 1 + random.Next(3); n > 0; --n) out += "\r\n";
    return;
  }
  if (kind < 8) {  // a line of white space only
    out += kind == 6 ? "    \r\n" : "\t\r\n";
    return;
  }
  if (random.Next(4) == 0) out += '\t';
  const std::uint32_t words = 3 + random.Next(12);
  for (std::uint32_t w = 0; w < words; ++w) {
    if (w > 0) {
      const std::uint32_t gap = random.Next(20);
      if (gap < 14) out += ' ';
      else if (gap < 18) out.append(2 + random.Next(4), ' ');
      else out += '\t';
    }
    if (random.Next(6) == 0) {
      for (std::uint32_t d = 1 + random.Next(6); d > 0; --d) {
        out += static_cast<char>('0' + random.Next(10));
      }
    } else {
      out += kWords[random.Next(std::size(kWords))];
    }
  }
  out += "\r\n";
}

// Whether out[0, cut) ends with a whole line, in units of `unit` bytes
// (little-endian).
bool EndsLine(const std::string& out, std::size_t cut, std::size_t unit) {
  if (cut < unit || cut % unit != 0 || out[cut - unit] != '\n') return false;
  return unit == 1 || out[cut - 1] == '\0';
}

template <class Convert>
void WriteCorpus(const std::string& path, std::size_t bytes, std::size_t unit,
                 Convert convert, std::string_view head) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(head.data(), static_cast<std::streamsize>(head.size()));
  Random random;
  std::size_t written = head.size();
  std::string chunk;
  while (written < bytes) {
    chunk.clear();
    while (chunk.size() < (1u << 20)) AppendLine(random, chunk);
    std::string out = convert(chunk);
    if (out.size() > bytes - written) {
      // End on a whole line.
      std::size_t cut = bytes - written;
      while (cut > 0 && !EndsLine(out, cut, unit)) --cut;
      out.resize(cut);
      if (cut == 0) break;
    }
    file.write(out.data(), static_cast<std::streamsize>(out.size()));
    written += out.size();
  }
  file.close();
  if (!file) throw std::runtime_error("cannot write " + path);
}

}  // namespace

void WriteUtf8Corpus(const std::string& path, std::size_t bytes) {
  WriteCorpus(path, bytes, 1, [](const std::string& s) { return s; }, "");
}

void WriteUtf16Corpus(const std::string& path, std::size_t bytes) {
  WriteCorpus(
      path, bytes, 2,
      [](const std::string& s) {
        const std::u16string units = DecodeUtf8(s);
        std::string out(units.size() * 2, '\0');
        for (std::size_t k = 0; k < units.size(); ++k) {
          out[2 * k] = static_cast<char>(units[k] & 0xFF);
          out[2 * k + 1] = static_cast<char>(units[k] >> 8);
        }
        return out;
      },
      std::string_view("\xFF\xFE", 2));
}

}  // namespace tarnwick::bench
