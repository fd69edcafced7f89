// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// tarnwick-batch driven as a process: operations, list order, failures,
// exit statuses and usage errors.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/cli/program_run.h"
#include "tests/support/temp_dir.h"

namespace tarnwick::testing {
namespace {

using Args = std::vector<std::string>;

constexpr char kDoneLine[] = "Done.\n";
constexpr char kHelpHint[] = "Try 'tarnwick-batch --help'";

void MakeReadOnly(const std::string& path) {
  ASSERT_EQ(chmod(path.c_str(), 0444), 0) << path;
}

std::string Join(const Args& args) {
  std::string text;
  for (const std::string& arg : args) text += " '" + arg + "'";
  return text;
}

// ---------------------------------------------------------------------------
// Every operation, output byte for byte.

struct OperationCase {
  std::string name;      // for the failure message
  Args operation;        // --operation and any texts
  std::string input;
  std::string expected;
};

class OperationTest : public ::testing::TestWithParam<OperationCase> {};

TEST_P(OperationTest, WritesExpectedBytesAndLeavesInputAlone) {
  const OperationCase& c = GetParam();
  TempDir dir;
  const std::string input = dir.Write("in/file.txt", c.input);
  const std::string out = dir.MakeFolder("out");
  Args args = c.operation;
  args.insert(args.end(), {"--output", out, input});
  const ProgramResult result = RunProgram(args);
  EXPECT_EQ(result.status, 0) << Join(args) << "\n" << result.err;
  EXPECT_EQ(result.out, kDoneLine);
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(ReadAll(out + "/file.txt"), c.expected) << Join(args);
  EXPECT_EQ(ReadAll(input), c.input);
}

const std::string kUtf16Tabs("\xff\xfe" "a\0\t\0b\0", 8);

INSTANTIATE_TEST_SUITE_P(
    EveryOperation, OperationTest,
    ::testing::Values(
        OperationCase{"AllSpaces", {"--operation", "remove-all-spaces"},
                      "a b  c\r\n d\te ", "abc\r\nd\te"},
        OperationCase{"AllSpacesByPosition", {"--operation", "0"},
                      "x y", "xy"},
        OperationCase{"ExtraSpaces", {"--operation", "remove-extra-spaces"},
                      "a  b   c    d e\r\n", "a b c d e\r\n"},
        OperationCase{"BlankLines", {"--operation", "remove-blank-lines"},
                      "a\r\n\r\nb\n\nc\n", "a\r\nb\nc\n"},
        OperationCase{"Tabs", {"--operation", "remove-all-tabs"},
                      "\xff\ta\t\tb", "\xff" "ab"},
        OperationCase{"TabsUtf16", {"--operation", "3"}, kUtf16Tabs,
                      "\xef\xbb\xbf" "ab"},
        OperationCase{"Alphabet", {"--operation", "remove-alphabet"},
                      "ab1 c2\xc3\xa9", "1 2\xc3\xa9"},
        OperationCase{"Numeric", {"--operation", "remove-numeric"},
                      "a1b22 \xc3\xa9" "3", "ab \xc3\xa9"},
        OperationCase{"Alphanumeric", {"--operation", "remove-alphanumeric"},
                      "a1-b2 \xc3\xa9!", "- \xc3\xa9!"},
        OperationCase{"NonAlphanumeric",
                      {"--operation", "remove-non-alphanumeric"},
                      "a-1, b\tc\r\n\xc3\xa9!\n", "a1 b\tc\r\n\n"},
        OperationCase{"CopyByName", {"--operation", "copy"}, "a\tb \r\n",
                      "a\tb \r\n"},
        OperationCase{"CopySeparator4", {"--operation", "4"}, kUtf16Tabs,
                      kUtf16Tabs},
        OperationCase{"CopySeparator10", {"--operation", "10"}, kUtf16Tabs,
                      kUtf16Tabs},
        OperationCase{"RemoveXWithTabMarker",
                      {"--operation", "remove-x", "--find-what", "<tab>x"},
                      "a\tx b\tx\tX", "a b\tX"},
        OperationCase{"RemoveXSeveralLines",
                      {"--operation", "remove-x", "--find-what", "foo\nbar"},
                      "foo1 bar2 foobar", "1 2 "},
        OperationCase{"RemoveXCrLfLines",
                      {"--operation", "9", "--find-what", "foo\r\nbar"},
                      "foo1 bar2 foobar", "1 2 "},
        OperationCase{"RemoveXAccented",
                      {"--operation", "remove-x", "--find-what=\xc3\xa9"},
                      "caf\xc3\xa9 cafe", "caf cafe"},
        OperationCase{"RemoveXInvalidByte",
                      {"--operation", "remove-x", "--find-what", "\xff"},
                      "a\xff" "b\xfe", "ab\xfe"},
        OperationCase{"RemoveXLeadingDash",
                      {"--operation", "remove-x", "--find-what", "-x"},
                      "a-xb--x", "ab-"},
        OperationCase{"FindReplaceTwoPairs",
                      {"--operation", "find-and-replace", "--find-what",
                       "colour\nflavour", "--replace-with", "color\nflavor"},
                      "colour flavour colours", "color flavor colors"},
        OperationCase{"FindReplaceTabMarkers",
                      {"--operation", "11", "--find-what", "a<tab>b",
                       "--replace-with", "a<tab><tab>b"},
                      "a\tb a b", "a\t\tb a b"},
        OperationCase{"FindReplaceEmptyLineRemoves",
                      {"--operation", "find-and-replace", "--find-what",
                       "x\ny", "--replace-with", "\nz"},
                      "xyx", "z"},
        OperationCase{"FindReplaceCapitalMarkerIsText",
                      {"--operation", "find-and-replace", "--find-what",
                       "<TAB>", "--replace-with", "T"},
                      "<TAB>\t", "T\t"}),
    [](const ::testing::TestParamInfo<OperationCase>& case_info) {
      return case_info.param.name;
    });

// ---------------------------------------------------------------------------
// The list in argument order.

TEST(ListOrderTest, FilesAndFoldersInArgumentOrderBreadthFirst) {
  TempDir dir;
  const std::string x = dir.Write("x.txt", "x");
  const std::string y = dir.Write("y.txt", "y");
  dir.Write("A/a1.txt", "1");
  dir.Write("A/Z.TXT", "z");
  dir.Write("A/b0.doc", "doc");
  dir.Write("A/~skip.txt", "~");
  dir.Write("A/.hidden.txt", "h");
  dir.Write("A/B/b1.txt", "b");
  dir.Write("A/C/c1.txt", "c");
  dir.Write("A/B/D/d1.txt", "d");
  const std::string out = dir.MakeFolder("out");
  // Every expected output name is taken by a read-only file, so every copy
  // is refused and reported: the reports show the order of the list.
  for (const char* name : {"x.txt", "y.txt", "a1.txt", "Z.TXT", "b1.txt",
                           "c1.txt", "d1.txt"}) {
    const std::string taken = dir.Write(std::string("out/") + name, "old");
    MakeReadOnly(taken);
  }
  const ProgramResult result = RunProgram(
      {"--operation", "remove-all-tabs", "--output", out, x, "--add-folder",
       dir / "A", "--extension", "txt", y, "--add-folder=" + dir / "A/B/"});
  EXPECT_EQ(result.status, 1) << result.err;
  EXPECT_EQ(result.out, kDoneLine);
  const std::vector<std::string> order = {
      x,
      dir / "A/a1.txt",
      dir / "A/Z.TXT",
      dir / "A/B/b1.txt",
      dir / "A/C/c1.txt",
      dir / "A/B/D/d1.txt",
      y,
      dir / "A/B/b1.txt",
      dir / "A/B/D/d1.txt",
  };
  std::size_t from = 0;
  for (const std::string& path : order) {
    const std::size_t at = result.err.find(path + " ", from);
    ASSERT_NE(at, std::string::npos) << path << " not reported in order in:\n"
                                     << result.err;
    from = at + path.size();
  }
  EXPECT_EQ(result.err.find("~skip"), std::string::npos);
  EXPECT_EQ(result.err.find(".hidden"), std::string::npos);
  EXPECT_EQ(result.err.find("b0.doc"), std::string::npos);
  EXPECT_EQ(dir.List("out").size(), 7u) << "nothing else was copied";
}

TEST(ListOrderTest, ExtensionDefaultsToEveryFile) {
  TempDir dir;
  dir.Write("A/a.txt", "a\t");
  dir.Write("A/b.doc", "b\t");
  dir.Write("A/noext", "c\t");
  const std::string out = dir.MakeFolder("out");
  const ProgramResult result = RunProgram(
      {"--add-folder", dir / "A", "--operation", "remove-all-tabs",
       "--output", out});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(dir.List("out"), (std::vector<std::string>{"a.txt", "b.doc", "noext"}));
  EXPECT_EQ(ReadAll(out + "/noext"), "c");
}

TEST(ListOrderTest, DashNamesAfterDoubleDashAndLoneDash) {
  TempDir dir;
  dir.Write("-draft.txt", "a\tb");
  dir.Write("-", "c\td");
  dir.Write("--", "e\tf");
  const std::string out = dir.MakeFolder("out");
  RunSettingsForChild in_folder;
  in_folder.folder = dir.path();
  const ProgramResult result = RunProgram(
      {"--operation", "remove-all-tabs", "--output", "out", "-", "--",
       "-draft.txt", "--"},
      in_folder);
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(ReadAll(out + "/-draft.txt"), "ab");
  EXPECT_EQ(ReadAll(out + "/-"), "cd");
  EXPECT_EQ(ReadAll(out + "/--"), "ef");
}

TEST(ListOrderTest, SharedOutputNameKeepsTheLastResultWithANote) {
  TempDir dir;
  const std::string first = dir.Write("one/a.txt", "1\t");
  const std::string last = dir.Write("two/a.txt", "2\t");
  const std::string out = dir.MakeFolder("out");
  const ProgramResult result = RunProgram(
      {"--operation", "remove-all-tabs", "--output", out, first, last});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, kDoneLine);
  EXPECT_EQ(result.err, "tarnwick-batch: note: " + out + "/a.txt held the result for " +
                            first + "; it now holds the result for " + last +
                            " (entries with the same name: the last one wins)\n");
  EXPECT_EQ(ReadAll(out + "/a.txt"), "2");
}

// ---------------------------------------------------------------------------
// No input is ever written over by another entry, and nothing is written
// through a link from elsewhere.

struct NoLossCase {
  std::string name;
  std::vector<std::pair<std::string, std::string>> files;  // path, bytes
  std::vector<std::pair<std::string, std::string>> links;  // path, target
  Args arguments;                                          // after --operation
  std::vector<std::pair<std::string, std::string>> after;  // path, bytes
  std::string refusal;     // in standard error
  std::string absent = "";  // a path that must not exist afterwards
};

class NoLossTest : public ::testing::TestWithParam<NoLossCase> {};

TEST_P(NoLossTest, RefusesAndKeepsEveryInput) {
  const NoLossCase& c = GetParam();
  TempDir dir;
  for (const auto& [path, bytes] : c.files) dir.Write(path, bytes);
  for (const auto& [path, target] : c.links) {
    dir.MakeFolder(path.substr(0, path.rfind('/')));
    ASSERT_EQ(symlink(target.c_str(), (dir / path).c_str()), 0) << path;
  }
  RunSettingsForChild in_folder;
  in_folder.folder = dir.path();
  Args args = {"--operation", "remove-all-spaces"};
  args.insert(args.end(), c.arguments.begin(), c.arguments.end());
  const ProgramResult result = RunProgram(args, in_folder);
  EXPECT_EQ(result.status, 1) << result.err;
  EXPECT_NE(result.err.find(c.refusal), std::string::npos) << result.err;
  for (const auto& [path, bytes] : c.after) EXPECT_EQ(ReadAll(dir / path), bytes) << path;
  if (!c.absent.empty()) {
    EXPECT_FALSE(std::filesystem::exists(dir / c.absent)) << c.absent;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NoLossTest,
    ::testing::Values(
        NoLossCase{"InputInTheOutputFolderComesFirst",
                   {{"a/x.txt", "ORIGINAL A\n"}, {"b/x.txt", "from b\n"}}, {},
                   {"--output", "a", "b/x.txt", "a/x.txt"},
                   {{"a/x.txt", "ORIGINALA\n"}, {"b/x.txt", "from b\n"}},
                   "Cannot copy b/x.txt to a/x.txt: a/x.txt is another input of this run"},
        NoLossCase{"InputInTheOutputFolderComesLast",
                   {{"a/x.txt", "ORIGINAL A\n"}, {"b/x.txt", "from b\n"}}, {},
                   {"--output", "a", "a/x.txt", "b/x.txt"},
                   {{"a/x.txt", "ORIGINALA\n"}, {"b/x.txt", "from b\n"}},
                   "a/x.txt already holds this run's result for its input a/x.txt"},
        NoLossCase{"SameNameInATreeRewrittenInPlace",
                   {{"x.txt", "top x\n"}, {"sub/x.txt", "sub x\n"}}, {},
                   {"--output", ".", "--add-folder", "."},
                   {{"x.txt", "topx\n"}, {"sub/x.txt", "sub x\n"}},
                   "Cannot copy ./sub/x.txt to ./x.txt"},
        NoLossCase{"LinkInTheOutputFolderToTheInput",
                   {{"in/x.txt", "a b\n"}}, {{"out/x.txt", "../in/x.txt"}},
                   {"--output", "out", "in/x.txt"},
                   {{"in/x.txt", "a b\n"}},
                   "out/x.txt is the same file as in/x.txt, reached through a link"},
        NoLossCase{"DanglingLinkInTheOutputFolder",
                   {{"in/x.txt", "a b\n"}}, {{"out/x.txt", "../elsewhere/x.txt"}},
                   {"--output", "out", "in/x.txt"},
                   {{"in/x.txt", "a b\n"}},
                   "out/x.txt is a symbolic link to a missing file",
                   "elsewhere"}),
    [](const auto& case_info) { return case_info.param.name; });

TEST(ListOrderTest, OutputFolderHoldingTheInputRewritesItInPlace) {
  TempDir dir;
  const std::string input = dir.Write("in/a.txt", "a\tb");
  const ProgramResult result = RunProgram(
      {"--operation", "remove-all-tabs", "--output", dir / "in/", input});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(ReadAll(input), "ab");
}

// ---------------------------------------------------------------------------
// Failures: reported, the run goes on, exit status 1.

TEST(FailureTest, MissingInputIsReportedAndTheOthersAreProcessed) {
  TempDir dir;
  const std::string a = dir.Write("in/a.txt", "a\t1");
  const std::string b = dir.Write("in/b.txt", "b\t2");
  const std::string missing = dir / "in/missing.txt";
  const std::string out = dir.MakeFolder("out");
  const ProgramResult result = RunProgram(
      {"--operation", "remove-all-tabs", "--output", out, a, missing, b});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out, kDoneLine);
  EXPECT_NE(result.err.find("Application Error\n"), std::string::npos)
      << result.err;
  EXPECT_NE(result.err.find(missing), std::string::npos) << result.err;
  EXPECT_NE(result.err.find(
                "\nin Quelbrook2021/08/31.Form1.PushButton10_Click at line 122"
                "\n\nPlease email screenshot of this message to "),
            std::string::npos)
      << result.err;
  EXPECT_EQ(result.err.find('\r'), std::string::npos);
  EXPECT_EQ(ReadAll(out + "/a.txt"), "a1");
  EXPECT_EQ(ReadAll(out + "/b.txt"), "b2");
  EXPECT_EQ(dir.List("out"), (std::vector<std::string>{"a.txt", "b.txt"}));
}

TEST(FailureTest, ReadOnlyOutputFileKeepsItsContent) {
  TempDir dir;
  const std::string a = dir.Write("in/a.txt", "new\t");
  const std::string b = dir.Write("in/b.txt", "b\t");
  const std::string out = dir.MakeFolder("out");
  const std::string taken = dir.Write("out/a.txt", "old content");
  MakeReadOnly(taken);
  const ProgramResult result = RunProgram(
      {"--operation", "remove-all-tabs", "--output", out, a, b});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out, kDoneLine);
  EXPECT_NE(result.err.find(out + "/a.txt"), std::string::npos) << result.err;
  EXPECT_EQ(ReadAll(taken), "old content");
  EXPECT_EQ(ReadAll(out + "/b.txt"), "b");
  EXPECT_EQ(dir.List("out"), (std::vector<std::string>{"a.txt", "b.txt"}))
      << "no temporary file is left behind";
}

TEST(FailureTest, InPlaceUnchangedFilesAreUntouchedAndChangedReadOnlyRefused) {
  TempDir dir;
  const std::string same = dir.Write("in/same.txt", std::string(3 << 20, 'x'));
  const std::string changed = dir.Write("in/changed.txt", "a b");
  MakeReadOnly(same);
  MakeReadOnly(changed);
  ASSERT_EQ(link(same.c_str(), (dir / "in/same-link").c_str()), 0);
  struct stat before {};
  ASSERT_EQ(stat(same.c_str(), &before), 0);
  const ProgramResult result = RunProgram(
      {"--operation", "remove-all-spaces", "--output", dir / "in", same, changed});
  EXPECT_EQ(result.status, 1) << result.err;
  EXPECT_NE(result.err.find(changed + ": the file is read-only"), std::string::npos)
      << result.err;
  EXPECT_EQ(result.err.find(same), std::string::npos) << result.err;
  struct stat after {};
  ASSERT_EQ(stat(same.c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(after.st_nlink, 2u);
  EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
  EXPECT_EQ(ReadAll(changed), "a b");
  EXPECT_EQ(dir.List("in"), (std::vector<std::string>{"changed.txt", "same-link", "same.txt"}));
}

TEST(FailureTest, UnreadableInputIsReported) {
  TempDir dir;
  const std::string a = dir.Write("in/a.txt", "a\t");
  const std::string secret = dir.Write("in/secret.txt", "s\t");
  const std::string out = dir.MakeFolder("out");
  ASSERT_EQ(chmod(secret.c_str(), 0), 0);
  RunSettingsForChild settings;
  if (geteuid() == 0) {
    // Root reads anything: run the program as an unprivileged user, who
    // may enter the folders and write the output folder.
    settings.unprivileged = true;
    for (const std::string& folder : {dir.path(), dir / "in", out}) {
      ASSERT_EQ(chmod(folder.c_str(), 0777), 0);
    }
    ASSERT_EQ(chmod(a.c_str(), 0644), 0);
  }
  const ProgramResult result = RunProgram(
      {"--operation", "remove-all-tabs", "--output", out, secret, a}, settings);
  if (!result.started) {
    GTEST_SKIP() << "cannot run the program as an unprivileged user here";
  }
  EXPECT_EQ(result.status, 1) << result.err;
  EXPECT_EQ(result.out, kDoneLine);
  EXPECT_NE(result.err.find(secret), std::string::npos) << result.err;
  EXPECT_EQ(ReadAll(out + "/a.txt"), "a");
  EXPECT_EQ(dir.List("out"), (std::vector<std::string>{"a.txt"}));
}

// ---------------------------------------------------------------------------
// Validation: nothing is touched, exit status 2.

TEST(ValidationTest, MissingOutputFolder) {
  TempDir dir;
  const std::string a = dir.Write("a.txt", "a\t");
  const ProgramResult result = RunProgram(
      {"--operation", "remove-all-tabs", "--output", dir / "nowhere", a});
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err,
            "Folder does not exist. Please select another folder.\n");
  EXPECT_EQ(ReadAll(a), "a\t");
}

TEST(ValidationTest, NoFilesAdded) {
  TempDir dir;
  dir.Write("A/a.doc", "a");
  const std::string out = dir.MakeFolder("out");
  const ProgramResult result =
      RunProgram({"--operation", "copy", "--output", out, "--add-folder",
                  dir / "A", "--extension", "txt"});
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.out, "");
  EXPECT_NE(result.err.find("no file matching *.txt in " + dir / "A"),
            std::string::npos)
      << result.err;
  EXPECT_NE(result.err.find("No files added.\n"), std::string::npos)
      << result.err;
}

TEST(ValidationTest, NoFilesWinsOverMissingFolder) {
  const ProgramResult result =
      RunProgram({"--operation", "copy", "--output", "/no/such/folder"});
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.err, "No files added.\n");
}

TEST(ValidationTest, MissingAddFolderStopsBeforeAnyFile) {
  TempDir dir;
  const std::string a = dir.Write("a.txt", "a\t");
  const std::string out = dir.MakeFolder("out");
  const ProgramResult result =
      RunProgram({"--operation", "remove-all-tabs", "--output", out, a,
                  "--add-folder", dir / "gone"});
  EXPECT_EQ(result.status, 2);
  EXPECT_NE(result.err.find("folder does not exist: " + dir / "gone"),
            std::string::npos)
      << result.err;
  EXPECT_TRUE(dir.List("out").empty());
}

// A name's control codes reach standard error escaped, whichever line
// names it.
TEST(ValidationTest, NamesReachStandardErrorEscaped) {
  TempDir dir;
  const std::string a = dir.Write("a.txt", "a\t");
  const std::string out = dir.MakeFolder("out");
  const std::string odd = "gone\x1b]0;TITLE\a";
  const std::vector<std::string> cases[] = {
      {"--operation", "remove-all-tabs", "--output", out, dir / odd},
      {"--operation", "remove-all-tabs", "--output", out, a, "--add-folder",
       dir / odd},
  };
  for (const auto& args : cases) {
    const ProgramResult result = RunProgram(args);
    EXPECT_NE(result.status, 0) << result.err;
    EXPECT_NE(result.err.find(dir / "gone\\x1b]0;TITLE\\x07"),
              std::string::npos)
        << result.err;
    EXPECT_EQ(result.err.find_first_of("\x1b\a"), std::string::npos)
        << result.err;
  }
}

struct LineCountCase {
  std::string find;
  std::string replace;
  std::string detail;
};

class LineCountTest : public ::testing::TestWithParam<LineCountCase> {};

TEST_P(LineCountTest, UnequalLinesStopBeforeAnyFile) {
  const LineCountCase& c = GetParam();
  TempDir dir;
  const std::string a = dir.Write("a.txt", "a b");
  const std::string out = dir.MakeFolder("out");
  const ProgramResult result = RunProgram(
      {"--operation", "find-and-replace", "--find-what", c.find,
       "--replace-with", c.replace, "--output", out, a});
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err.rfind("The number of lines of Find What and Replace "
                             "With.\n",
                             0),
            0u)
      << result.err;
  EXPECT_NE(result.err.find(c.detail), std::string::npos) << result.err;
  EXPECT_TRUE(dir.List("out").empty());
  EXPECT_EQ(ReadAll(a), "a b");
}

INSTANTIATE_TEST_SUITE_P(
    Texts, LineCountTest,
    ::testing::Values(
        LineCountCase{"a", "", "use --operation remove-x"},
        LineCountCase{"a\nb", "x", "2 line(s), --replace-with has 1"},
        LineCountCase{"a\n", "x", "2 line(s), --replace-with has 1"},
        LineCountCase{"a\r\nb", "x\ny\nz", "2 line(s), --replace-with has 3"},
        // A lone CR does not separate lines.
        LineCountCase{"a\rb", "x\ny", "1 line(s), --replace-with has 2"}));

// ---------------------------------------------------------------------------
// Usage errors.

struct UsageCase {
  Args args;
  std::string message;
};

class UsageTest : public ::testing::TestWithParam<UsageCase> {};

TEST_P(UsageTest, ClearMessageAndStatus2) {
  const UsageCase& c = GetParam();
  TempDir dir;
  const std::string a = dir.Write("a.txt", "a\t");
  const std::string out = dir.MakeFolder("out");
  Args args;
  for (const std::string& arg : c.args) {
    args.push_back(arg == "OUT" ? out : arg == "FILE" ? a : arg);
  }
  const ProgramResult result = RunProgram(args);
  EXPECT_EQ(result.status, 2) << Join(args);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err.rfind("tarnwick-batch: " + c.message, 0), 0u)
      << Join(args) << "\n" << result.err;
  EXPECT_NE(result.err.find(kHelpHint), std::string::npos);
  EXPECT_TRUE(dir.List("out").empty());
  EXPECT_EQ(ReadAll(a), "a\t");
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, UsageTest,
    ::testing::Values(
        UsageCase{{}, "missing --operation"},
        UsageCase{{"--undo", "--operation", "3"},
                  "--undo takes no files and no other options"},
        UsageCase{{"--list-runs", "FILE"},
                  "--list-runs takes no files and no other options"},
        UsageCase{{"--undo", "--list-runs"}, "--undo and --list-runs go alone"},
        UsageCase{{"--operation", "3", "--output", "OUT", "--report=", "FILE"},
                  "--report needs a file"},
        UsageCase{{"--bogus", "--operation", "3", "--output", "OUT", "FILE"},
                  "unknown option '--bogus'"},
        UsageCase{{"--operation", "3", "--output", "OUT", "-x"},
                  "unknown option '-x' (a file whose name begins with '-' "
                  "goes after '--')"},
        UsageCase{{"--output", "OUT", "FILE"}, "missing --operation OP"},
        UsageCase{{"--operation", "3", "FILE"}, "missing --output DIR"},
        UsageCase{{"--operation", "12", "--output", "OUT", "FILE"},
                  "unknown operation '12'"},
        UsageCase{{"--operation", "remove-tabs", "--output", "OUT", "FILE"},
                  "unknown operation 'remove-tabs'"},
        UsageCase{{"--operation", "3", "--operation", "3", "--output", "OUT",
                   "FILE"},
                  "--operation is given more than once"},
        UsageCase{{"--operation", "3", "FILE", "--output"},
                  "--output needs a value"},
        UsageCase{{"--operation", "remove-x", "--output", "OUT", "FILE"},
                  "--operation remove-x needs --find-what TEXT"},
        UsageCase{{"--operation", "remove-x", "--find-what", "", "--output",
                   "OUT", "FILE"},
                  "--find-what is empty"},
        UsageCase{{"--operation", "find-and-replace", "--replace-with", "b",
                   "--output", "OUT", "FILE"},
                  "--operation find-and-replace needs --find-what TEXT"},
        UsageCase{{"--operation", "find-and-replace", "--find-what", "a",
                   "--output", "OUT", "FILE"},
                  "--operation find-and-replace needs --replace-with TEXT"},
        UsageCase{{"--operation", "remove-all-tabs", "--find-what", "a",
                   "--output", "OUT", "FILE"},
                  "--find-what is not used by --operation remove-all-tabs"},
        UsageCase{{"--operation", "remove-x", "--find-what", "a",
                   "--replace-with", "b", "--output", "OUT", "FILE"},
                  "--replace-with is only used by --operation "
                  "find-and-replace"},
        UsageCase{{"--operation", "3", "--output", "OUT", "--extension", "txt",
                   "FILE"},
                  "--extension must follow the --add-folder it applies to"},
        UsageCase{{"--operation", "3", "--output", "OUT", "--add-folder",
                   "OUT", "FILE", "--extension", "txt"},
                  "--extension must follow the --add-folder it applies to"},
        UsageCase{{"--operation", "3", "--output", "OUT", "--add-folder",
                   "OUT", "--extension", "txt", "--extension", "doc"},
                  "--extension is given twice"},
        UsageCase{{"--operation", "3", "--output", "OUT", "--add-folder",
                   "OUT", "--extension", ""},
                  "--extension needs a value"}));

TEST(HelpTest, DescribesEveryOptionWithAnExample) {
  const ProgramResult result = RunProgram({"--help"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, "");
  for (const char* word :
       {"--operation OP", "--output DIR", "--find-what TEXT",
        "--replace-with TEXT", "--add-folder DIR", "--extension EXT",
        "--help", "--version", "  --  ", "<tab>", "Exit status", "Examples:",
        "tarnwick-batch --operation remove-all-tabs", "find-and-replace",
        "Remove all blank lines (enters) in text file(s)"}) {
    EXPECT_NE(result.out.find(word), std::string::npos) << word;
  }
  EXPECT_EQ(RunProgram({"--operation", "3", "-h"}).out, result.out);
}

TEST(HelpTest, Version) {
  const ProgramResult result = RunProgram({"--version"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, "tarnwick-batch (Tarnwick) 0.1.0\n");
}

// ---------------------------------------------------------------------------
// Surroundings: settings, terminal.

TEST(SurroundingsTest, OnePairServesEveryFileAndNoSettingsAreWritten) {
  TempDir dir;
  const std::string config = dir.MakeFolder("config");
  std::vector<std::string> inputs;
  for (const char* name : {"1.txt", "2.txt", "3.txt"}) {
    inputs.push_back(dir.Write(std::string("in/") + name, "cat dog"));
  }
  const std::string out = dir.MakeFolder("out");
  RunSettingsForChild settings;
  // The journal of runs is state, not settings: it goes elsewhere.
  settings.environment = {"HOME=" + config, "XDG_CONFIG_HOME=" + config,
                          "XDG_STATE_HOME=" + dir.MakeFolder("state")};
  Args args = {"--operation", "find-and-replace", "--find-what", "cat",
               "--replace-with", "cow", "--output", out};
  args.insert(args.end(), inputs.begin(), inputs.end());
  const ProgramResult result = RunProgram(args, settings);
  EXPECT_EQ(result.status, 0) << result.err;
  for (const char* name : {"1.txt", "2.txt", "3.txt"}) {
    EXPECT_EQ(ReadAll(out + "/" + name), "cow dog") << name;
  }
  EXPECT_TRUE(dir.List("config").empty());
}

TEST(SurroundingsTest, InterruptionStopsBetweenTwoFiles) {
  TempDir dir;
  const std::string body(4096, 'a');
  constexpr int kFiles = 3000;
  for (int i = 0; i < kFiles; ++i) {
    dir.Write("in/f" + std::to_string(i) + ".txt", body + "\t");
  }
  const std::string out = dir.MakeFolder("out");
  RunSettingsForChild settings;
  settings.interrupt_after_ms = 300;
  const ProgramResult result = RunProgram(
      {"--operation", "remove-all-tabs", "--output", out, "--add-folder",
       dir / "in"},
      settings);
  if (result.status == 0) {
    GTEST_SKIP() << "the run ended before it could be interrupted";
  }
  EXPECT_EQ(result.status, 130) << result.err;
  EXPECT_EQ(result.out, "");
  EXPECT_NE(result.err.find("tarnwick-batch: interrupted"), std::string::npos)
      << result.err;
  // Every file in the output folder is a complete result; no temporary
  // file is left.
  const std::vector<std::string> names = dir.List("out");
  EXPECT_LT(names.size(), static_cast<std::size_t>(kFiles));
  for (const std::string& name : names) {
    ASSERT_EQ(name.rfind("f", 0), 0u) << name;
    ASSERT_EQ(name.substr(name.size() - 4), ".txt") << name;
    ASSERT_EQ(ReadAll(out + "/" + name), body) << name;
  }
}

TEST(SurroundingsTest, InterruptionDuringTheLastFileIsNotSwallowed) {
  TempDir dir;
  std::string body;
  for (int i = 0; i < 1 << 22; ++i) body += "some words\n";  // 44 MiB
  const std::string input = dir.Write("in/big.txt", body);
  const std::string out = dir.MakeFolder("out");
  RunSettingsForChild settings;
  settings.interrupt_after_ms = 20;
  const auto start = std::chrono::steady_clock::now();
  const ProgramResult result = RunProgram(
      {"--operation", "remove-all-spaces", "--output", out, input}, settings);
  // Only a run that ended before the signal was sent may succeed.
  if (result.status == 0 &&
      std::chrono::steady_clock::now() - start < std::chrono::milliseconds(20)) {
    GTEST_SKIP() << "the run ended before the signal";
  }
  if (result.status == -1) GTEST_SKIP() << "the signal came before the run";
  EXPECT_EQ(result.status, 130) << result.err;
  EXPECT_EQ(result.out, "");
  EXPECT_NE(result.err.find("interrupted: 1 of 1 files done"), std::string::npos)
      << result.err;
  EXPECT_EQ(std::filesystem::file_size(out + "/big.txt"), body.size() - (1u << 22));
  EXPECT_EQ(dir.List("out"), std::vector<std::string>{"big.txt"});
}

TEST(SurroundingsTest, LostStandardOutputIsAFailure) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  TempDir dir;
  const std::string input = dir.Write("in/a.txt", "a b");
  for (const std::string& arguments :
       {std::string("--help"), "--operation remove-all-spaces --output " + dir / "in" + " " + input}) {
    const std::string command = "'" + ProgramPath() + "' " + arguments +
                                " >/dev/full 2>'" + dir / "err" + "'";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status)) << arguments;
    EXPECT_EQ(WEXITSTATUS(status), 1) << arguments;
    EXPECT_EQ(ReadAll(dir / "err"),
              "tarnwick-batch: write error on standard output: No space left on "
              "device\n")
        << arguments;
  }
  EXPECT_EQ(ReadAll(input), "ab");
}

// Several jobs edit files ahead; what the user sees is what one job gives:
// outputs, messages, report, exit status and what undo puts back.
TEST(JobsTest, ManyJobsGiveWhatOneJobGives) {
  TempDir dir;
  ProgramResult runs[2];
  std::vector<std::string> outputs[2];
  ProgramResult undos[2];
  const char* jobs[2] = {"1", "3"};
  for (int k = 0; k < 2; ++k) {
    const std::string root = dir.MakeFolder(jobs[k]);
    const auto write = [&](const std::string& path, const std::string& bytes) {
      dir.Write(std::string(jobs[k]) + "/" + path, bytes);
    };
    Args args = {"--operation", "find-and-replace", "--find-what", "foo\nx",
                 "--replace-with", "bar\ny", "--output", "out", "--report",
                 "-", "--jobs", jobs[k]};
    for (int i = 0; i < 24; ++i) {
      const std::string name = "in/f" + std::to_string(i) + ".txt";
      write(name, "foo " + std::to_string(i) + (i % 3 ? " x" : ""));
      args.push_back(name);
    }
    write("in2/f3.txt", "second f3 foo");  // the same output name as in/f3
    write("in/old.txt", "foo over an older output");
    write("out/old.txt", "older");
    write("out/here.txt", "foo in place");
    write("in/u16.txt", std::string("\xff\xfe" "f\0o\0o\0", 8));
    write("in/same.txt", "nothing to change");
    args.insert(args.end(), {"in/missing.txt", "in2/f3.txt", "in/old.txt",
                             "out/here.txt", "in/u16.txt", "in/same.txt"});
    RunSettingsForChild settings;
    settings.folder = root;
    settings.environment = {"XDG_STATE_HOME=" + root + "/state"};
    runs[k] = RunProgram(args, settings);
    for (const std::string& name : dir.List(std::string(jobs[k]) + "/out")) {
      outputs[k].push_back(name + ": " + ReadAll(root + "/out/" + name));
    }
    undos[k] = RunProgram({"--undo"}, settings);
    for (std::size_t at; (at = undos[k].out.find(root)) != std::string::npos;) {
      undos[k].out.replace(at, root.size(), "ROOT");
    }
    EXPECT_EQ(dir.List(std::string(jobs[k]) + "/out"),
              (std::vector<std::string>{"here.txt", "old.txt"}));
    EXPECT_EQ(ReadAll(root + "/out/old.txt"), "older");
    EXPECT_EQ(ReadAll(root + "/out/here.txt"), "foo in place");
  }
  EXPECT_EQ(runs[0].status, 1) << runs[0].err;  // the missing input
  EXPECT_EQ(runs[1].status, runs[0].status);
  EXPECT_EQ(runs[1].out, runs[0].out);
  EXPECT_EQ(runs[1].err, runs[0].err);
  EXPECT_EQ(outputs[1], outputs[0]);
  EXPECT_EQ(outputs[0].size(), 28u);
  EXPECT_EQ(undos[1].out, undos[0].out);
  EXPECT_EQ(undos[1].status, undos[0].status);
}

TEST(SurroundingsTest, ProgressLineOnATerminal) {
  TempDir dir;
  const std::string a = dir.Write("in/a.txt", "a\t");
  const std::string b = dir.Write("in/b.txt", "b\t");
  const std::string out = dir.MakeFolder("out");
  RunSettingsForChild settings;
  settings.terminal = true;
  const ProgramResult result = RunProgram(
      {"--operation", "remove-all-tabs", "--output", out, a, b}, settings);
  EXPECT_EQ(result.status, 0) << result.out;
  EXPECT_NE(result.out.find("\r1/2  50% Processing: a.txt"), std::string::npos)
      << result.out;
  EXPECT_NE(result.out.find("\r2/2 100% Processing: b.txt"), std::string::npos)
      << result.out;
  // The line is wiped before "Done." is written.
  EXPECT_NE(result.out.find("\rDone."), std::string::npos) << result.out;
  EXPECT_EQ(ReadAll(out + "/b.txt"), "b");
}

}  // namespace
}  // namespace tarnwick::testing
