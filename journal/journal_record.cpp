// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "journal/journal_record.h"

#include <array>
#include <charconv>
#include <cstdio>
#include <unordered_set>

namespace tarnwick {
namespace {

constexpr std::size_t kMaxRecord = 1u << 20;

std::uint32_t Crc32(std::string_view bytes) {
  static const std::array<std::uint32_t, 256> table = [] {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  std::uint32_t crc = 0xFFFFFFFFu;
  for (const unsigned char b : bytes) crc = table[(crc ^ b) & 0xFF] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFFu;
}

}  // namespace

std::string EscapeField(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\t': out += "\\t"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      default: out += c;
    }
  }
  return out;
}

namespace {

bool Unescape(std::string_view text, std::string& out) {
  out.clear();
  for (std::size_t k = 0; k < text.size(); ++k) {
    if (text[k] != '\\') {
      out += text[k];
      continue;
    }
    if (++k == text.size()) return false;
    switch (text[k]) {
      case '\\': out += '\\'; break;
      case 't': out += '\t'; break;
      case 'n': out += '\n'; break;
      case 'r': out += '\r'; break;
      default: return false;
    }
  }
  return true;
}

template <typename Number>
bool ParseNumber(std::string_view text, Number& value, int base = 10) {
  if (text.empty()) return false;
  const auto [end, error] =
      std::from_chars(text.data(), text.data() + text.size(), value, base);
  return error == std::errc() && end == text.data() + text.size();
}

bool PlainNumber(const std::string& name) {
  if (name.empty() || name.size() > 18 || name[0] == '0') return false;
  for (const char c : name) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

void AddIdentity(std::vector<std::string>& fields, const FileIdentity& id) {
  fields.push_back(std::to_string(id.device));
  fields.push_back(std::to_string(id.inode));
  fields.push_back(std::to_string(id.size));
  fields.push_back(std::to_string(id.mtime_ns));
}

bool ReadIdentity(const std::vector<std::string>& f, std::size_t at,
                  FileIdentity& id) {
  return ParseNumber(f[at], id.device) && ParseNumber(f[at + 1], id.inode) &&
         ParseNumber(f[at + 2], id.size) && ParseNumber(f[at + 3], id.mtime_ns);
}

// The fields of one write record; false when they do not fit its kind.
bool ReadWrite(const std::vector<std::string>& f, WriteRecord& w) {
  const std::string& kind = f[0];
  if (kind == "replace" && f.size() == 13) {
    w.kind = WriteRecord::Kind::kReplace;
    w.kept = f[2];
    return PlainNumber(w.kept) && ParseNumber(f[3], w.mode, 8) &&
           ReadIdentity(f, 4, w.old) && ParseNumber(f[8], w.old_atime_ns) &&
           ReadIdentity(f, 9, w.after);
  }
  if (kind == "unkept" && f.size() == 11) {
    w.kind = WriteRecord::Kind::kUnkept;
    w.note = f[10];
    return ReadIdentity(f, 2, w.old) && ReadIdentity(f, 6, w.after);
  }
  if ((kind == "create" || kind == "update") && f.size() == 6) {
    w.kind = kind == "create" ? WriteRecord::Kind::kCreate
                              : WriteRecord::Kind::kUpdate;
    return ReadIdentity(f, 2, w.after);
  }
  return false;
}

}  // namespace

std::string EncodeRecord(const std::vector<std::string>& fields) {
  std::string payload;
  for (std::size_t k = 0; k < fields.size(); ++k) {
    if (k > 0) payload += '\t';
    payload += EscapeField(fields[k]);
  }
  char head[40];
  std::snprintf(head, sizeof head, "%zu %08x ", payload.size(),
                static_cast<unsigned>(Crc32(payload)));
  return head + payload + "\n";
}

RecordLines DecodeRecords(std::string_view text) {
  RecordLines result;
  std::size_t at = 0;
  int line = 0;
  while (at < text.size()) {
    const std::size_t end = text.find('\n', at);
    if (end == std::string_view::npos) {
      result.torn_tail = true;
      break;
    }
    ++line;
    const std::string_view whole = text.substr(at, end - at);
    const auto bad = [&](const std::string& why) {
      result.error = "line " + std::to_string(line) + ": " + why;
      return result;
    };
    const std::size_t space1 = whole.find(' ');
    const std::size_t space2 =
        space1 == std::string_view::npos ? space1 : whole.find(' ', space1 + 1);
    std::size_t length = 0;
    std::uint32_t crc = 0;
    if (space2 == std::string_view::npos ||
        !ParseNumber(whole.substr(0, space1), length) ||
        space2 - space1 != 9 ||
        !ParseNumber(whole.substr(space1 + 1, 8), crc, 16) ||
        length > kMaxRecord) {
      return bad("it is not a record");
    }
    const std::string_view payload = whole.substr(space2 + 1);
    if (payload.size() != length) return bad("its length is wrong (cut or joined)");
    if (Crc32(payload) != crc) return bad("its checksum is wrong");
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
      const std::size_t tab = payload.find('\t', start);
      std::string field;
      if (!Unescape(payload.substr(start, tab == std::string_view::npos
                                              ? std::string_view::npos
                                              : tab - start),
                    field)) {
        return bad("it holds a bad escape");
      }
      fields.push_back(std::move(field));
      if (tab == std::string_view::npos) break;
      start = tab + 1;
    }
    result.records.push_back(std::move(fields));
    at = end + 1;
    result.good_bytes = at;
  }
  return result;
}

std::vector<std::string> WriteFields(const WriteRecord& w) {
  std::vector<std::string> f;
  switch (w.kind) {
    case WriteRecord::Kind::kReplace: {
      f = {"replace", w.path, w.kept};
      char mode[16];
      std::snprintf(mode, sizeof mode, "%o", w.mode);
      f.push_back(mode);
      AddIdentity(f, w.old);
      f.push_back(std::to_string(w.old_atime_ns));
      AddIdentity(f, w.after);
      break;
    }
    case WriteRecord::Kind::kUnkept:
      f = {"unkept", w.path};
      AddIdentity(f, w.old);
      AddIdentity(f, w.after);
      f.push_back(w.note);
      break;
    case WriteRecord::Kind::kCreate:
    case WriteRecord::Kind::kUpdate:
      f = {w.kind == WriteRecord::Kind::kCreate ? "create" : "update", w.path};
      AddIdentity(f, w.after);
      break;
  }
  return f;
}

bool ParseRunLog(std::string_view text, RunLog& log, std::string& error) {
  const RecordLines lines = DecodeRecords(text);
  if (!lines.error.empty()) {
    error = lines.error;
    return false;
  }
  if (lines.records.empty()) {
    error = kNoRecords;
    return false;
  }
  if (lines.records[0][0] != "run" ||
      lines.records[0].size() != 4 ||
      !ParseNumber(lines.records[0][1], log.time_ns)) {
    error = "it does not begin with the run's record";
    return false;
  }
  log.operation = lines.records[0][2];
  log.output_folder = lines.records[0][3];
  for (std::size_t k = 1; k < lines.records.size(); ++k) {
    const std::vector<std::string>& f = lines.records[k];
    const auto bad = [&](const std::string& why) {
      error = "record " + std::to_string(k + 1) + " (" + f[0] + "): " + why;
      return false;
    };
    if (f[0] == "entry" && f.size() == 2) {
      log.entries.push_back(f[1]);
    } else if (f[0] == "entry-revised" && f.size() == 3) {
      // A later word on an entry recorded before: its line now.
      std::uint64_t entry = 0;
      if (!ParseNumber(f[1], entry) || entry < 1 || entry > log.entries.size()) {
        return bad("it names no entry recorded before it");
      }
      log.entries[entry - 1] = f[2];
    } else if (f[0] == "end" && f.size() == 2) {
      log.ended = true;
      if (!ParseNumber(f[1], log.not_undoable)) return bad("it is malformed");
    } else if (f[0] == "undone" && f.size() == 1) {
      log.undone = true;
    } else if (f[0] == "restored" && f.size() == 2) {
      log.restored.push_back(f[1]);
    } else {
      WriteRecord w;
      if (f[0] == "replace" && f.size() == 13 && !PlainNumber(f[2])) {
        return bad("its kept file's name \"" + f[2] + "\" is not a plain number");
      }
      if (f.size() < 2 || !ReadWrite(f, w)) return bad("it is malformed");
      w.path = f[1];
      if (w.path.empty() || w.path.front() != '/') {
        return bad("its path is not absolute");
      }
      log.writes.push_back(std::move(w));
    }
  }
  return true;
}

int FilesOf(const RunLog& log) {
  std::unordered_set<std::string> paths;
  for (const WriteRecord& w : log.writes) paths.insert(w.path);
  return static_cast<int>(paths.size());
}

}  // namespace tarnwick
