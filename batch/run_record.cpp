#include "batch/run_record.h"

#include <cstdio>

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
