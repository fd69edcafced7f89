// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarnwick::cli {
namespace {

using Kind = InputSource::Kind;

ParseResult Parse(std::vector<std::string> arguments) {
  return ParseArguments(arguments);
}

TEST(OperationPositionTest, NamesAndPositions) {
  const std::vector<std::pair<std::string, int>> known = {
      {"remove-all-spaces", 0},   {"remove-extra-spaces", 1},
      {"remove-blank-lines", 2},  {"remove-all-tabs", 3},
      {"copy", 4},                {"remove-alphabet", 5},
      {"remove-numeric", 6},      {"remove-alphanumeric", 7},
      {"remove-non-alphanumeric", 8}, {"remove-x", 9},
      {"find-and-replace", 11},   {"0", 0},
      {"4", 4},                   {"10", 10},
      {"11", 11},                 {"07", 7},
  };
  for (const auto& [op, position] : known) {
    EXPECT_EQ(OperationPosition(op), position) << op;
  }
  for (const char* op : {"", "12", "-1", "011", "3 ", "Remove-X", "tabs",
                         "+3"}) {
    EXPECT_EQ(OperationPosition(op), std::nullopt) << op;
  }
  for (int position = 0; position < 12; ++position) {
    EXPECT_EQ(OperationPosition(OperationName(position)),
              position == 10 ? 4 : position);
  }
}

TEST(ParseArgumentsTest, InputsKeepArgumentOrderWithTheirExtensions) {
  const ParseResult result =
      Parse({"a.txt", "--add-folder", "docs", "--extension", "txt",
             "--operation", "remove-all-tabs", "b.txt", "--add-folder=more",
             "--output", "out", "--add-folder", "last", "--extension=doc"});
  ASSERT_EQ(result.command, Command::kRun) << result.error;
  const std::vector<InputSource>& inputs = result.options.inputs;
  ASSERT_EQ(inputs.size(), 5u);
  const std::vector<std::tuple<Kind, std::string, std::string>> expected = {
      {Kind::kFile, "a.txt", "*"},     {Kind::kFolder, "docs", "txt"},
      {Kind::kFile, "b.txt", "*"},     {Kind::kFolder, "more", "*"},
      {Kind::kFolder, "last", "doc"},
  };
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    EXPECT_EQ(inputs[i].kind, std::get<0>(expected[i])) << i;
    EXPECT_EQ(inputs[i].path, std::get<1>(expected[i])) << i;
    if (inputs[i].kind == Kind::kFolder) {
      EXPECT_EQ(inputs[i].extension, std::get<2>(expected[i])) << i;
    }
  }
  EXPECT_EQ(result.options.operation, 3);
  EXPECT_EQ(result.options.output_folder, "out");
}

TEST(ParseArgumentsTest, ValuesAreTakenWhateverTheyBeginWith) {
  const ParseResult result =
      Parse({"--operation=find-and-replace", "--find-what", "--output",
             "--replace-with=-a=b", "--output", "-", "--", "--help", "-"});
  ASSERT_EQ(result.command, Command::kRun) << result.error;
  EXPECT_EQ(result.options.find_what, "--output");
  EXPECT_EQ(result.options.replace_with, "-a=b");
  EXPECT_EQ(result.options.output_folder, "-");
  ASSERT_EQ(result.options.inputs.size(), 2u);
  EXPECT_EQ(result.options.inputs[0].path, "--help");
  EXPECT_EQ(result.options.inputs[1].path, "-");
}

TEST(ParseArgumentsTest, EmptyTextsAsValues) {
  const ParseResult result =
      Parse({"--operation", "find-and-replace", "--find-what", "a\n",
             "--replace-with", "", "--output", ""});
  ASSERT_EQ(result.command, Command::kRun) << result.error;
  EXPECT_EQ(result.options.replace_with, "");
  EXPECT_EQ(result.options.output_folder, "");
}

TEST(ParseArgumentsTest, HelpAndVersionStopTheParse) {
  EXPECT_EQ(Parse({"--help", "--bogus"}).command, Command::kHelp);
  EXPECT_EQ(Parse({"-h"}).command, Command::kHelp);
  EXPECT_EQ(Parse({"--version", "--operation"}).command, Command::kVersion);
  // An error before them wins.
  EXPECT_EQ(Parse({"--bogus", "--help"}).command, Command::kUsageError);
}

TEST(ParseArgumentsTest, OptionsAreExactNames) {
  for (const char* option : {"--operations", "--out", "--Output", "-o",
                             "--find", "---operation"}) {
    const ParseResult result = Parse({option, "x"});
    EXPECT_EQ(result.command, Command::kUsageError) << option;
    EXPECT_NE(result.error.find("unknown option"), std::string::npos)
        << option << ": " << result.error;
  }
}

TEST(ParseArgumentsTest, JobsIsACountOfFiles) {
  const auto jobs = [](const char* value) {
    return Parse({"--operation", "copy", "--output", "o", "--jobs", value, "a"});
  };
  EXPECT_EQ(jobs("4").options.jobs, 4);
  EXPECT_EQ(jobs("1").options.jobs, 1);
  for (const char* value : {"0", "", "-1", "2x", "1025", "99999999999"}) {
    const ParseResult result = jobs(value);
    EXPECT_EQ(result.command, Command::kUsageError) << value;
    EXPECT_NE(result.error.find("--jobs"), std::string::npos) << result.error;
  }
  EXPECT_EQ(Parse({"--operation", "copy", "--output", "o", "a"}).options.jobs,
            std::nullopt);
}

TEST(HelpTextTest, NamesEveryOperationAndChooserEntry) {
  const std::string help = HelpText();
  for (int position = 0; position < 12; ++position) {
    EXPECT_NE(help.find(std::string(OperationName(position))),
              std::string::npos)
        << position;
  }
  EXPECT_NE(help.find("Remove x (user-specified) character(s) in text file(s)"),
            std::string::npos);
  for (const std::string_view line : {std::string_view(help)}) {
    EXPECT_EQ(line.find('\t'), std::string_view::npos);
  }
}

}  // namespace
}  // namespace tarnwick::cli
