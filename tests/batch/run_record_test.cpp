// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// A report line read back gives the record it was written from.
#include "batch/run_record.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarnwick {
namespace {

EntryRecord Record(std::string source, EntryStatus status,
                   std::optional<std::uint64_t> before,
                   std::optional<std::uint64_t> after, std::string reason = "",
                   std::optional<std::vector<std::uint64_t>> per_pair = {}) {
  EntryRecord record;
  record.source = source;
  record.output = source.empty() ? "" : "/out/" + source;
  record.status = status;
  record.changes = 18446744073709551615u;
  record.bytes_before = before;
  record.bytes_after = after;
  record.reason = std::move(reason);
  record.per_pair = std::move(per_pair);
  return record;
}

TEST(ReportLineTest, ReadsBackWhatItWrote) {
  const EntryRecord records[] = {
      Record("/in/a.txt", EntryStatus::kChanged, 14, 13),
      Record("/in/caf\xC3\xA9 \xF0\x9F\x98\x80.txt", EntryStatus::kUnchanged, 0, 0),
      Record("/in/latin1-\xE9\xFF\x80.txt", EntryStatus::kFailed, std::nullopt,
             std::nullopt, "Cannot read \"/in/x\\y\": gone\n\ttab\x01"),
      Record("", EntryStatus::kSkipped, 5, std::nullopt, "cancelled",
             std::vector<std::uint64_t>{}),
      Record("/in/b.txt", EntryStatus::kChanged, 3, 1, "", 
             std::vector<std::uint64_t>{0, 2, 18446744073709551615u}),
  };
  for (const EntryRecord& record : records) {
    const std::string line = ReportLine(record);
    const std::optional<EntryRecord> read = ParseReportLine(line);
    ASSERT_TRUE(read.has_value()) << line;
    EXPECT_EQ(read->source, record.source) << line;
    EXPECT_EQ(read->output, record.output) << line;
    EXPECT_EQ(read->status, record.status) << line;
    EXPECT_EQ(read->changes, record.changes) << line;
    EXPECT_EQ(read->bytes_before, record.bytes_before) << line;
    EXPECT_EQ(read->bytes_after, record.bytes_after) << line;
    EXPECT_EQ(read->reason, record.reason) << line;
    EXPECT_EQ(read->per_pair, record.per_pair) << line;
    EXPECT_EQ(ReportLine(*read), line);
  }
}

TEST(ReportLineTest, TakesAnyOrderAndPlainEscapes) {
  const std::optional<EntryRecord> read = ParseReportLine(
      R"({"reason":"a\/b\u00e9\"","status":"skipped","changes":0,)"
      R"("bytes_after":null,"bytes_before":7,"output":"","source":"\ud83d\ude00"})");
  ASSERT_TRUE(read.has_value());
  EXPECT_EQ(read->reason, "a/b\xC3\xA9\"");
  EXPECT_EQ(read->source, "\xF0\x9F\x98\x80");
  EXPECT_EQ(read->status, EntryStatus::kSkipped);
  EXPECT_EQ(read->bytes_before, 7u);
  EXPECT_EQ(read->bytes_after, std::nullopt);
}

TEST(ReportLineTest, RefusesWhatItDidNotWrite) {
  const std::string good = ReportLine(Record("/a", EntryStatus::kChanged, 1, 2));
  const std::string cases[] = {
      "",
      good.substr(0, good.size() - 1),                     // cut short
      good + " ",                                          // text after it
      good.substr(0, good.size() - 1) + ",\"extra\":1}",   // unknown field
      good.substr(0, good.size() - 1) + ",\"changes\":1}", // a field twice
      R"({"source":"/a","output":"","status":"changed","changes":1,"bytes_before":1,"bytes_after":2})",
      R"({"source":"/a","output":"","status":"done","changes":1,"bytes_before":1,"bytes_after":2,"reason":""})",
      R"({"source":"/a","output":"","status":"changed","changes":-1,"bytes_before":1,"bytes_after":2,"reason":""})",
      R"({"source":"/a","output":"","status":"changed","changes":01,"bytes_before":1,"bytes_after":2,"reason":""})",
      R"({"source":"/a","output":"","status":"changed","changes":18446744073709551616,"bytes_before":1,"bytes_after":2,"reason":""})",
      R"({"source":"\u12","output":"","status":"changed","changes":1,"bytes_before":1,"bytes_after":2,"reason":""})",
      R"({"source":"\q","output":"","status":"changed","changes":1,"bytes_before":1,"bytes_after":2,"reason":""})",
      "{\"source\":\"a\tb\",\"output\":\"\",\"status\":\"changed\",\"changes\":1,"
      "\"bytes_before\":1,\"bytes_after\":2,\"reason\":\"\"}",  // raw control
      R"({"source":"/a","output":"","status":"changed","changes":1,"bytes_before":1,"bytes_after":2,"reason":"","per_pair":[1,]})",
  };
  for (const std::string& line : cases) {
    EXPECT_FALSE(ParseReportLine(line).has_value()) << line;
  }
}

}  // namespace
}  // namespace tarnwick
