// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// The report against the bytes, through tarnwick-batch: an entry is
// "changed" exactly when its output's bytes differ from its input's, every
// character dropped counts (stray bytes and lone surrogates too), per_pair
// has one count per find line, and a dry run says what the run says, down
// to the reason of every refusal.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "tests/cli/program_run.h"
#include "tests/support/temp_dir.h"

namespace tarnwick::testing {
namespace {

using Args = std::vector<std::string>;

// The raw value of key in a report line ("" when absent): a quoted
// string, a bracketed list, or up to the next comma or brace.
std::string Field(const std::string& line, const std::string& key) {
  const std::string name = "\"" + key + "\":";
  const std::size_t at = line.find(name);
  if (at == std::string::npos) return "";
  const std::size_t start = at + name.size();
  std::size_t end = line.find_first_of(",}", start);
  if (line[start] == '[') end = line.find(']', start) + 1;
  if (line[start] == '"') {
    end = start + 1;
    while (end < line.size() && line[end] != '"') end += line[end] == '\\' ? 2 : 1;
    ++end;
  }
  return line.substr(start, end - start);
}

// The report lines of a run (the dry run's too): every line of standard
// output that is a JSON object.
std::vector<std::string> ReportLines(const ProgramResult& result) {
  std::vector<std::string> report;
  for (const std::string& line : Lines(result.out)) {
    if (!line.empty() && line.front() == '{') report.push_back(line);
  }
  return report;
}

struct Sandbox {
  TempDir dir;
  RunSettingsForChild settings;
  Sandbox() { settings.environment = {"XDG_STATE_HOME=" + dir.MakeFolder("state")}; }
  ProgramResult Run(Args args, bool dry_run) {
    args.insert(args.end(), {"--report", "-"});
    if (dry_run) args.push_back("--dry-run");
    return RunProgram(args, settings);
  }
};

std::string Bytes(std::initializer_list<unsigned char> bytes) {
  return std::string(bytes.begin(), bytes.end());
}

struct BytesCase {
  std::string name;
  Args operation;
  std::string input;
  bool in_place = false;  // output folder = the input's folder
  std::string changes;
  std::string per_pair;   // the raw list, or "" for no key
};

void PrintTo(const BytesCase& c, std::ostream* out) { *out << c.name; }

class ReportBytesTest : public ::testing::TestWithParam<BytesCase> {};

// The run and the dry run report the same status, changes and per_pair;
// the status is the one cmp gives for the run's input and output.
TEST_P(ReportBytesTest, StatusIsTheBytesVerdictAndCountsAreTrue) {
  const BytesCase& c = GetParam();
  Sandbox box;
  const std::string in = box.dir.Write("in/f.txt", c.input);
  const std::string out =
      c.in_place ? box.dir / "in" : box.dir.MakeFolder("out");
  Args args = c.operation;
  args.insert(args.end(), {"--output", out, in});

  const ProgramResult preview = box.Run(args, /*dry_run=*/true);
  ASSERT_EQ(ReadAll(in), c.input) << "the dry run wrote";
  const ProgramResult run = box.Run(args, /*dry_run=*/false);
  ASSERT_EQ(run.status, 0) << run.err;
  const std::vector<std::string> lines = ReportLines(run);
  ASSERT_EQ(lines.size(), 1u) << run.out;
  const std::string& line = lines[0];

  const bool same_bytes = ReadAll(out + "/f.txt") == c.input;
  EXPECT_EQ(Field(line, "status"), same_bytes ? "\"unchanged\"" : "\"changed\"")
      << line;
  EXPECT_EQ(Field(line, "changes"), c.changes) << line;
  EXPECT_EQ(Field(line, "per_pair"), c.per_pair) << line;
  EXPECT_EQ(Field(line, "bytes_before"), std::to_string(c.input.size())) << line;
  EXPECT_EQ(Field(line, "bytes_after"),
            std::to_string(std::filesystem::file_size(out + "/f.txt")))
      << line;

  ASSERT_EQ(ReportLines(preview).size(), 1u) << preview.out << preview.err;
  EXPECT_EQ(ReportLines(preview)[0], line);
  EXPECT_EQ(preview.status, run.status);
}

const Args kFindB = {"--operation", "find-and-replace", "--find-what", "b",
                     "--replace-with", "b"};
const Args kTabs = {"--operation", "remove-all-tabs"};
const Args kKeepAlphanumeric = {"--operation", "remove-non-alphanumeric"};
const std::string kUtf16Accent = Bytes({0xff, 0xfe, 0xe9, 0x00, 0x41, 0x00});

INSTANTIATE_TEST_SUITE_P(
    Inputs, ReportBytesTest,
    ::testing::Values(
        // Matches replaced by themselves change no byte.
        BytesCase{"b_by_b", kFindB, "abc", false, "1", "[1]"},
        BytesCase{"b_by_b_in_place", kFindB, "abc", true, "1", "[1]"},
        BytesCase{"b_by_c",
                  {"--operation", "find-and-replace", "--find-what", "b",
                   "--replace-with", "c"},
                  "abc", false, "1", "[1]"},
        BytesCase{"swap_back_and_forth",
                  {"--operation", "find-and-replace", "--find-what", "e\nf",
                   "--replace-with", "f\ne"},
                  "the e", false, "4", "[2,2]"},
        // A 16-bit file is written as UTF-8: other bytes, same size, no
        // character dropped.
        BytesCase{"utf16_rewritten_in_place", kTabs, kUtf16Accent, true, "0", ""},
        BytesCase{"utf16_rewritten_to_output", kTabs, kUtf16Accent, false, "0", ""},
        BytesCase{"utf8_without_tabs", kTabs, "a\xc3\xa9", true, "0", ""},
        BytesCase{"utf8_tab", kTabs, "a\tb", true, "1", ""},
        // Every character dropped counts once, a stray byte and a lone
        // surrogate included.
        BytesCase{"latin1_degree", kKeepAlphanumeric, Bytes({0x61, 0xb0, 0x62}),
                  false, "1", ""},
        BytesCase{"cp1252_quotes", kKeepAlphanumeric,
                  Bytes({0x35, 0x20, 0xb0, 0x43, 0x20, 0x93, 0x71, 0x94}), false,
                  "3", ""},
        BytesCase{"utf16_lone_high_surrogate", kKeepAlphanumeric,
                  Bytes({0xff, 0xfe, 0x00, 0xd8, 0x41, 0x00}), false, "2", ""},
        BytesCase{"utf16_lone_low_surrogate_big_endian", kKeepAlphanumeric,
                  Bytes({0xfe, 0xff, 0xdc, 0x00, 0x00, 0x41}), false, "2", ""},
        BytesCase{"utf16_pair_is_one", kKeepAlphanumeric,
                  Bytes({0xff, 0xfe, 0x3d, 0xd8, 0x00, 0xde, 0x41, 0x00}), false,
                  "2", ""},
        BytesCase{"utf8_valid_and_stray", kKeepAlphanumeric,
                  "\xc3\xa9!\xe2\x82" "A\xf0\x9f\x98\x80", false, "5", ""},
        BytesCase{"stray_bytes_across_a_piece", kKeepAlphanumeric,
                  std::string((1u << 20) - 2, 'a') + "\xb0\xb0\xb0z", false, "3",
                  ""},
        BytesCase{"ascii_only_kept", kKeepAlphanumeric, "a1 b\r\n", false, "0", ""},
        // One count per find line, empty lines included.
        BytesCase{"empty_middle_line",
                  {"--operation", "find-and-replace", "--find-what", "abc\n\nc",
                   "--replace-with", "1\n2\n3"},
                  "abc abc", false, "2", "[2,0,0]"},
        BytesCase{"empty_last_line",
                  {"--operation", "find-and-replace", "--find-what", "abc\n",
                   "--replace-with", "1\n"},
                  "abc\nabc", false, "2", "[2,0]"},
        BytesCase{"only_empty_lines",
                  {"--operation", "find-and-replace", "--find-what", "\n",
                   "--replace-with", "1\n2"},
                  "abc", false, "0", "[0,0]"},
        BytesCase{"remove_x_with_empty_line",
                  {"--operation", "remove-x", "--find-what", "b\n\nc"},
                  "abcb", false, "3", "[2,0,1]"},
        BytesCase{"remove_x_nothing_found",
                  {"--operation", "remove-x", "--find-what", "z"}, "abc", true,
                  "0", "[0]"},
        BytesCase{"blank_line", {"--operation", "remove-blank-lines"}, "a\n\nb",
                  true, "1", ""},
        BytesCase{"copy_only", {"--operation", "copy"}, "x\ty", false, "0", ""}),
    [](const ::testing::TestParamInfo<BytesCase>& case_info) { return case_info.param.name; });

// A refusal (or note) the run makes, set up below dir: the run's inputs
// and its output folder.
struct RefusalCase {
  std::string name;
  std::function<Args(const TempDir& dir)> set_up;  // output folder, inputs
  std::size_t entry;     // the entry that is refused (0-based)
  std::string status;    // its status in both runs
  std::string reason;    // a part of its reason, the same in both runs
};

void PrintTo(const RefusalCase& c, std::ostream* out) { *out << c.name; }

class DryRunRefusalTest : public ::testing::TestWithParam<RefusalCase> {};

// The dry run's report is the run's, line for line (status, reason, notes
// and sizes), and so is its exit status.
TEST_P(DryRunRefusalTest, PredictsTheRunWordForWord) {
  const RefusalCase& c = GetParam();
  Sandbox box;
  const Args places = c.set_up(box.dir);
  Args args = {"--operation", "remove-all-tabs", "--output"};
  args.insert(args.end(), places.begin(), places.end());

  const ProgramResult preview = box.Run(args, /*dry_run=*/true);
  const ProgramResult run = box.Run(args, /*dry_run=*/false);
  const std::vector<std::string> expected = ReportLines(run);
  ASSERT_GT(expected.size(), c.entry) << run.out << run.err;
  EXPECT_EQ(Field(expected[c.entry], "status"), "\"" + c.status + "\"")
      << expected[c.entry];
  EXPECT_NE(Field(expected[c.entry], "reason").find(c.reason), std::string::npos)
      << expected[c.entry];
  EXPECT_EQ(ReportLines(preview), expected) << preview.out;
  EXPECT_EQ(preview.status, run.status) << preview.err;
  // The dry run's own lines (path, status, changes, reason) say the same
  // (the names and reasons here need no JSON escapes).
  std::vector<std::string> said, expected_said;
  for (const std::string& line : Lines(preview.out)) {
    if (line.find('\t') != std::string::npos && line.front() != '{') {
      said.push_back(line);
    }
  }
  const auto unquoted = [](const std::string& text) {
    return text.substr(1, text.size() - 2);
  };
  for (const std::string& line : expected) {
    expected_said.push_back(unquoted(Field(line, "source")) + "\t" +
                            unquoted(Field(line, "status")) + "\t" +
                            Field(line, "changes") + "\t" +
                            unquoted(Field(line, "reason")));
  }
  EXPECT_EQ(said, expected_said);
  // A failed entry gives the input's size when it is a file, and no
  // output size.
  for (const std::string& line : expected) {
    if (Field(line, "status") != "\"failed\"") continue;
    const std::string source = Field(line, "source");
    const std::filesystem::path input = source.substr(1, source.size() - 2);
    EXPECT_EQ(Field(line, "bytes_before"),
              std::filesystem::is_regular_file(input)
                  ? std::to_string(std::filesystem::file_size(input))
                  : "null")
        << line;
    EXPECT_EQ(Field(line, "bytes_after"), "null") << line;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Refusals, DryRunRefusalTest,
    ::testing::Values(
        RefusalCase{"missing_file",
                    [](const TempDir& d) {
                      return Args{d.MakeFolder("out"), d / "in/gone.txt"};
                    },
                    0, "failed", "the file does not exist"},
        RefusalCase{"source_is_a_folder",
                    [](const TempDir& d) {
                      return Args{d.MakeFolder("out"), d.MakeFolder("in/x.txt")};
                    },
                    0, "failed", "the source is a folder"},
        RefusalCase{"same_name_twice",
                    [](const TempDir& d) {
                      return Args{d.MakeFolder("out"), d.Write("a/x.txt", "a\t"),
                                  d.Write("b/x.txt", "b\t")};
                    },
                    1, "changed", "the last one wins"},
        RefusalCase{"read_only_existing_output",
                    [](const TempDir& d) {
                      chmod(d.Write("out/x.txt", "old").c_str(), 0444);
                      return Args{d / "out", d.Write("in/x.txt", "x\t")};
                    },
                    0, "failed", "the destination is read-only"},
        RefusalCase{"read_only_input_edited_in_place",
                    [](const TempDir& d) {
                      const std::string in = d.Write("in/x.txt", "x\t");
                      chmod(in.c_str(), 0444);
                      return Args{d / "in", in};
                    },
                    0, "failed", "the file is read-only"},
        RefusalCase{"read_only_input_left_as_it_is",
                    [](const TempDir& d) {
                      const std::string in = d.Write("in/x.txt", "no tab");
                      chmod(in.c_str(), 0444);
                      return Args{d / "in", in};
                    },
                    0, "unchanged", ""},
        RefusalCase{"output_is_another_input",
                    [](const TempDir& d) {
                      return Args{d / "b", d.Write("a/x.txt", "a\t"),
                                  d.Write("b/x.txt", "b\t")};
                    },
                    0, "failed", "is another input of this run"},
        RefusalCase{"output_holds_an_earlier_result",
                    [](const TempDir& d) {
                      return Args{d / "b", d.Write("b/x.txt", "b\t"),
                                  d.Write("a/x.txt", "a\t")};
                    },
                    1, "failed", "already holds this run's result"},
        RefusalCase{"same_file_through_a_link",
                    [](const TempDir& d) {
                      const std::string in = d.Write("in/x.txt", "x\t");
                      d.MakeFolder("out");
                      symlink(in.c_str(), (d / "out/x.txt").c_str());
                      return Args{d / "out", in};
                    },
                    0, "failed", "reached through a link"},
        RefusalCase{"dangling_link",
                    [](const TempDir& d) {
                      d.MakeFolder("out");
                      symlink((d / "nowhere").c_str(), (d / "out/x.txt").c_str());
                      return Args{d / "out", d.Write("in/x.txt", "x\t")};
                    },
                    0, "failed", "a symbolic link to a missing file"},
        RefusalCase{"output_is_a_folder",
                    [](const TempDir& d) {
                      d.MakeFolder("out/x.txt");
                      return Args{d / "out", d.Write("in/x.txt", "x\t")};
                    },
                    0, "failed", "the destination is a folder"}),
    [](const ::testing::TestParamInfo<RefusalCase>& case_info) {
      return case_info.param.name;
    });

}  // namespace
}  // namespace tarnwick::testing
