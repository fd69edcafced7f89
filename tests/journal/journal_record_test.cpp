// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// The record file's format: what is written reads back the same, a torn
// last line is ignored, and every other damage is caught and named.
#include "journal/journal_record.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarnwick {
namespace {

const std::string kHeader = EncodeRecord({"run", "1700000000000000000", "copy", "/out"});

WriteRecord Replace(const std::string& path, const std::string& kept) {
  WriteRecord w;
  w.kind = WriteRecord::Kind::kReplace;
  w.path = path;
  w.kept = kept;
  w.mode = 0640;
  w.old = {1, 2, 3, -4};
  w.old_atime_ns = 5;
  w.after = {6, 7, 8, 9};
  return w;
}

TEST(JournalRecordTest, FieldsReadBackWhateverTheyHold) {
  const std::vector<std::vector<std::string>> cases = {
      {"entry", "plain"},
      {"entry", "tab\there", "new\nline", "back\\slash\\t", "cr\r", ""},
      {"restored", std::string("\x1b[31m\xff\0x", 8)},
  };
  std::string text;
  for (const auto& fields : cases) text += EncodeRecord(fields);
  const RecordLines lines = DecodeRecords(text);
  EXPECT_EQ(lines.error, "");
  EXPECT_FALSE(lines.torn_tail);
  EXPECT_EQ(lines.records, cases);
  EXPECT_EQ(lines.good_bytes, text.size());
}

TEST(JournalRecordTest, ATornLastLineIsIgnoredAnyOtherDamageIsNamed) {
  const std::string good = kHeader + EncodeRecord(WriteFields(Replace("/a", "1")));
  const std::string next = EncodeRecord({"entry", "x"});
  struct Case {
    std::string text;
    std::string error;  // empty: reads, with the torn tail ignored
  };
  std::string flipped = good + next;
  flipped[flipped.size() - 2] = 'y';  // same length, other bytes
  std::string longer = good + next;
  longer.insert(longer.size() - 1, "z");
  const Case cases[] = {
      {good + next.substr(0, next.size() - 1), ""},
      {good + next.substr(0, 3), ""},
      {flipped, "line 3: its checksum is wrong"},
      {longer, "line 3: its length is wrong (cut or joined)"},
      {good + next.substr(0, 5) + next, "line 3: it is not a record"},
      {good + "garbage\n", "line 3: it is not a record"},
      {good + "3 0000000g abc\n", "line 3: it is not a record"},
  };
  for (const Case& c : cases) {
    const RecordLines lines = DecodeRecords(c.text);
    EXPECT_EQ(lines.error, c.error) << c.text;
    RunLog log;
    std::string error;
    EXPECT_EQ(ParseRunLog(c.text, log, error), c.error.empty()) << c.text;
    if (c.error.empty()) {
      EXPECT_EQ(log.writes.size(), 1u);
    }
  }
}

TEST(JournalRecordTest, ParsedLogHoldsEveryKindOfRecord) {
  WriteRecord create;
  create.kind = WriteRecord::Kind::kCreate;
  create.path = "/o/new\tname";
  create.after = {1, 2, 3, 4};
  WriteRecord update = create;
  update.kind = WriteRecord::Kind::kUpdate;
  update.after.size = 9;
  WriteRecord unkept = Replace("/o/big", "");
  unkept.kind = WriteRecord::Kind::kUnkept;
  unkept.note = "its old content was not kept: full";
  const std::string text =
      kHeader + EncodeRecord(WriteFields(Replace("/o/a", "1"))) +
      EncodeRecord(WriteFields(create)) + EncodeRecord(WriteFields(update)) +
      EncodeRecord(WriteFields(unkept)) + EncodeRecord({"entry", "{}"}) +
      EncodeRecord({"entry", "{2}"}) +
      EncodeRecord({"entry-revised", "1", "{failed}"}) +
      EncodeRecord({"end", "1"}) + EncodeRecord({"restored", "/o/a"}) +
      EncodeRecord({"undone"});
  RunLog log;
  std::string error;
  ASSERT_TRUE(ParseRunLog(text, log, error)) << error;
  EXPECT_EQ(log.time_ns, 1700000000000000000);
  EXPECT_EQ(log.operation, "copy");
  EXPECT_EQ(log.output_folder, "/out");
  ASSERT_EQ(log.writes.size(), 4u);
  const WriteRecord& r = log.writes[0];
  EXPECT_EQ(r.kept, "1");
  EXPECT_EQ(r.mode, 0640u);
  EXPECT_EQ(r.old, (FileIdentity{1, 2, 3, -4}));
  EXPECT_EQ(r.old_atime_ns, 5);
  EXPECT_EQ(r.after, (FileIdentity{6, 7, 8, 9}));
  EXPECT_EQ(log.writes[1].path, "/o/new\tname");
  EXPECT_EQ(log.writes[2].after.size, 9u);
  EXPECT_EQ(log.writes[3].note, "its old content was not kept: full");
  EXPECT_EQ(FilesOf(log), 3);
  EXPECT_EQ(log.entries, (std::vector<std::string>{"{failed}", "{2}"}));
  EXPECT_TRUE(log.ended);
  EXPECT_EQ(log.not_undoable, 1);
  EXPECT_TRUE(log.undone);
  EXPECT_EQ(log.restored, std::vector<std::string>{"/o/a"});
}

TEST(JournalRecordTest, PathsAndKeptNamesThatCouldLeadElsewhereAreRefused) {
  struct Case {
    std::vector<std::string> fields;
    std::string error;
  };
  std::vector<std::string> relative = WriteFields(Replace("a/b", "1"));
  const Case cases[] = {
      {WriteFields(Replace("/a", "../x")),
       "record 2 (replace): its kept file's name \"../x\" is not a plain number"},
      {WriteFields(Replace("/a", "1/../../x")),
       "record 2 (replace): its kept file's name \"1/../../x\" is not a plain number"},
      {WriteFields(Replace("/a", "01")),
       "record 2 (replace): its kept file's name \"01\" is not a plain number"},
      {relative, "record 2 (replace): its path is not absolute"},
      {{"replace", "/a"}, "record 2 (replace): it is malformed"},
      {{"create", "/a", "1", "2", "3", "x"}, "record 2 (create): it is malformed"},
      {{"unknown", "/a"}, "record 2 (unknown): it is malformed"},
      {{"entry-revised", "1", "{}"},
       "record 2 (entry-revised): it names no entry recorded before it"},
  };
  for (const Case& c : cases) {
    RunLog log;
    std::string error;
    EXPECT_FALSE(ParseRunLog(kHeader + EncodeRecord(c.fields), log, error));
    EXPECT_EQ(error, c.error);
  }
  RunLog log;
  std::string error;
  EXPECT_FALSE(ParseRunLog(EncodeRecord({"entry", "x"}), log, error));
  EXPECT_EQ(error, "it does not begin with the run's record");
  EXPECT_FALSE(ParseRunLog("12 345", log, error));
  EXPECT_EQ(error, kNoRecords);
}

}  // namespace
}  // namespace tarnwick
