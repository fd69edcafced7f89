// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// The record file of one run: an append-only log, one record a line,
//   <length> <crc32, 8 hex digits> <fields>\n
// where length and checksum cover the fields, which are separated by TAB
// and escaped (backslash, TAB, newline and carriage return as \\ \t \n \r).
// A last line without its newline is a write that never finished (the
// rename it announced never happened) and is ignored; any other line that
// does not parse or fails its check makes the whole file untrusted.
//
// The records of a run, in order:
//   run     <time ns UTC> <operation> <output folder>       (first, once)
//   replace <path> <kept> <mode> <old identity 4> <old atime ns> <after 4>
//   unkept  <path> <old identity 4> <after 4> <note>
//   create  <path> <after 4>
//   update  <path> <after 4>      (the run wrote the file again)
//   entry   <the entry's report line>
//   end     <files that cannot be undone>
//   restored <path>               (undo put this file back)
//   undone                        (an undo of the run finished)
// An identity is device, inode, size and modification time in ns; kept is
// the kept original's name in the run folder, a plain number.
#ifndef TARNWICK_JOURNAL_JOURNAL_RECORD_H_
#define TARNWICK_JOURNAL_JOURNAL_RECORD_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "files/replacement_journal.h"

namespace tarnwick {

// A field as records hold it: backslash, TAB, newline and carriage return
// as \\ \t \n \r.
std::string EscapeField(std::string_view text);

// One line, newline included.
std::string EncodeRecord(const std::vector<std::string>& fields);

struct RecordLines {
  std::vector<std::vector<std::string>> records;
  bool torn_tail = false;  // the text ended inside a line (ignored)
  std::size_t good_bytes = 0;  // the length of the whole lines
  std::string error;  // the first bad line, said in words; empty when none
};

// Splits a record file's text into records; stops at the first bad line.
RecordLines DecodeRecords(std::string_view text);

// One write of the run, as recorded.
struct WriteRecord {
  enum class Kind { kReplace, kUnkept, kCreate, kUpdate };
  Kind kind = Kind::kCreate;
  std::string path;  // absolute
  std::string kept;  // kReplace: the kept original's name
  unsigned mode = 0;  // kReplace: the old file's permission bits
  FileIdentity old;   // kReplace, kUnkept
  std::int64_t old_atime_ns = 0;  // kReplace
  FileIdentity after;
  std::string note;  // kUnkept
};

std::vector<std::string> WriteFields(const WriteRecord& write);

// A run's record file, read and checked.
struct RunLog {
  std::int64_t time_ns = 0;
  std::string operation;
  std::string output_folder;
  std::vector<WriteRecord> writes;
  std::vector<std::string> entries;  // report lines
  bool ended = false;
  int not_undoable = 0;  // as counted at the end, when the run ended
  bool undone = false;
  std::vector<std::string> restored;  // paths undo has put back
};

// ParseRunLog's error for a file that holds no whole record.
inline constexpr char kNoRecords[] = "it holds no record";

// Reads the log from a record file's text. False with error set when a
// line is bad, a record unknown or malformed, a path not absolute or a
// kept name anything but a plain number.
bool ParseRunLog(std::string_view text, RunLog& log, std::string& error);

// How many distinct files the run wrote.
int FilesOf(const RunLog& log);

}  // namespace tarnwick

#endif  // TARNWICK_JOURNAL_JOURNAL_RECORD_H_
