// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "batch/run_record.h"

#include <charconv>
#include <cstdio>
#include <system_error>
#include <utility>

#include "engine/text_codec.h"

namespace tarnwick {

std::string_view StatusName(EntryStatus status) {
  switch (status) {
    case EntryStatus::kChanged:
      return "changed";
    case EntryStatus::kUnchanged:
      return "unchanged";
    case EntryStatus::kFailed:
      return "failed";
    case EntryStatus::kSkipped:
      return "skipped";
  }
  return "failed";
}

namespace {

// A JSON string: ASCII as it is (quote, backslash and controls escaped),
// every other 16-bit unit of the text's decoding as a \u escape.
std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (const char16_t unit : DecodeUtf8(text)) {
    if (unit == u'"' || unit == u'\\') {
      out += '\\';
      out += static_cast<char>(unit);
    } else if (unit >= 0x20 && unit < 0x7F) {
      out += static_cast<char>(unit);
    } else {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(unit));
      out += escape;
    }
  }
  return out + "\"";
}

}  // namespace

std::string ReportLine(const EntryRecord& record) {
  const auto size = [](const std::optional<std::uint64_t>& bytes) {
    return bytes ? std::to_string(*bytes) : std::string("null");
  };
  std::string line = "{\"source\":" + JsonString(record.source) +
                     ",\"output\":" + JsonString(record.output) +
                     ",\"status\":\"" + std::string(StatusName(record.status)) +
                     "\",\"changes\":" + std::to_string(record.changes) +
                     ",\"bytes_before\":" + size(record.bytes_before) +
                     ",\"bytes_after\":" + size(record.bytes_after) +
                     ",\"reason\":" + JsonString(record.reason);
  if (record.per_pair) {
    line += ",\"per_pair\":[";
    for (std::size_t k = 0; k < record.per_pair->size(); ++k) {
      if (k > 0) line += ',';
      line += std::to_string((*record.per_pair)[k]);
    }
    line += ']';
  }
  return line + "}";
}

}  // namespace tarnwick

namespace tarnwick {
namespace {

// Reads ReportLine's JSON: one object of strings, numbers, null and arrays
// of numbers. Every step returns false at the first byte it cannot take.
class ReportLineReader {
 public:
  explicit ReportLineReader(std::string_view text) : text_(text) {}

  bool Read(EntryRecord& record) {
    bool source = false, output = false, status = false, changes = false,
         before = false, after = false, reason = false;
    if (!Take('{')) return false;
    for (bool first = true; !Take('}'); first = false) {
      std::string key;
      if ((!first && !Take(',')) || !String(key) || !Take(':')) return false;
      bool ok = false;
      if (key == "source") {
        ok = Once(source) && String(record.source);
      } else if (key == "output") {
        ok = Once(output) && String(record.output);
      } else if (key == "status") {
        std::string name;
        ok = Once(status) && String(name) && Status(name, record.status);
      } else if (key == "changes") {
        ok = Once(changes) && Number(record.changes);
      } else if (key == "bytes_before") {
        ok = Once(before) && Size(record.bytes_before);
      } else if (key == "bytes_after") {
        ok = Once(after) && Size(record.bytes_after);
      } else if (key == "reason") {
        ok = Once(reason) && String(record.reason);
      } else if (key == "per_pair") {
        ok = !record.per_pair && Numbers(record.per_pair.emplace());
      }
      if (!ok) return false;
    }
    return at_ == text_.size() && source && output && status && changes &&
           before && after && reason;
  }

 private:
  static bool Once(bool& seen) { return !std::exchange(seen, true); }

  bool Take(char c) {
    if (at_ >= text_.size() || text_[at_] != c) return false;
    ++at_;
    return true;
  }

  bool Number(std::uint64_t& value) {
    const char* begin = text_.data() + at_;
    const char* end = text_.data() + text_.size();
    const auto [next, error] = std::from_chars(begin, end, value);
    if (error != std::errc() || (*begin == '0' && next - begin > 1)) return false;
    at_ += static_cast<std::size_t>(next - begin);
    return true;
  }

  bool Size(std::optional<std::uint64_t>& size) {
    if (text_.substr(at_, 4) == "null") {
      at_ += 4;
      size.reset();
      return true;
    }
    return Number(size.emplace());
  }

  bool Numbers(std::vector<std::uint64_t>& values) {
    if (!Take('[')) return false;
    if (Take(']')) return true;
    do {
      if (!Number(values.emplace_back())) return false;
    } while (Take(','));
    return Take(']');
  }

  static bool Status(const std::string& name, EntryStatus& status) {
    for (const EntryStatus s : {EntryStatus::kChanged, EntryStatus::kUnchanged,
                                EntryStatus::kFailed, EntryStatus::kSkipped}) {
      if (StatusName(s) == name) {
        status = s;
        return true;
      }
    }
    return false;
  }

  // A string's 16-bit units, then encoded as UTF-8: a byte escape becomes
  // its byte again.
  bool String(std::string& value) {
    if (!Take('"')) return false;
    std::u16string units;
    while (at_ < text_.size() && text_[at_] != '"') {
      if (text_[at_] != '\\') {
        // Plain bytes, up to the next quote or escape; no control among them.
        const std::size_t start = at_;
        while (at_ < text_.size() && text_[at_] != '"' && text_[at_] != '\\') {
          if (static_cast<unsigned char>(text_[at_++]) < 0x20) return false;
        }
        units += DecodeUtf8(text_.substr(start, at_ - start));
        continue;
      }
      ++at_;
      if (at_ >= text_.size()) return false;
      const char kind = text_[at_++];
      static constexpr std::string_view kPlain = "\"\\/bfnrt";
      static constexpr std::u16string_view kMeant = u"\"\\/\b\f\n\r\t";
      if (const std::size_t k = kPlain.find(kind); k != std::string_view::npos) {
        units += kMeant[k];
        continue;
      }
      unsigned code = 0;
      if (kind != 'u' || text_.size() - at_ < 4) return false;
      const auto [next, error] =
          std::from_chars(text_.data() + at_, text_.data() + at_ + 4, code, 16);
      if (error != std::errc() || next != text_.data() + at_ + 4) return false;
      at_ += 4;
      units += static_cast<char16_t>(code);
    }
    if (!Take('"')) return false;
    value = EncodeUtf8(units);
    return true;
  }

  std::string_view text_;
  std::size_t at_ = 0;
};

}  // namespace

std::optional<EntryRecord> ParseReportLine(std::string_view line) {
  EntryRecord record;
  if (!ReportLineReader(line).Read(record)) return std::nullopt;
  return record;
}

}  // namespace tarnwick
