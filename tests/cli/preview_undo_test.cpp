// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// Preview, report and undo through tarnwick-batch on real files: a dry run
// writes nothing, the counts and the report are true, undo puts back
// exactly what the run replaced and removes what it created, and leaves
// alone what changed since; the journal keeps to its cap. An interrupted
// run is journaled and reported as far as it got; the report never goes
// over a file of the run; names in the printed lines are escaped.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "cli/line_text.h"
#include "tests/cli/program_run.h"
#include "tests/support/temp_dir.h"

namespace tarnwick::testing {
namespace {

namespace fs = std::filesystem;
using Args = std::vector<std::string>;

// Every file and folder below root with its bytes and modification time.
std::map<std::string, std::string> Snapshot(const std::string& root) {
  std::map<std::string, std::string> tree;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    struct stat info {};
    lstat(entry.path().c_str(), &info);
    std::string value = std::to_string(info.st_mtim.tv_sec) + "." +
                        std::to_string(info.st_mtim.tv_nsec) + ":" +
                        std::to_string(info.st_ino);
    if (entry.is_regular_file()) value += ":" + ReadAll(entry.path());
    tree[entry.path().string()] = value;
  }
  return tree;
}

// A sandbox: files below dir, the journal in dir/state.
struct Sandbox {
  TempDir dir;
  RunSettingsForChild settings;
  explicit Sandbox(std::string state = "") {
    settings.environment = {"XDG_STATE_HOME=" +
                            (state.empty() ? dir.MakeFolder("state") : state)};
  }
  ProgramResult Run(const Args& args) { return RunProgram(args, settings); }
};

// Runs the child as the unprivileged user when the test runs as root (who
// may read and write anything), the sandbox opened to that user.
void AsUnprivilegedWhenRoot(Sandbox& box) {
  if (geteuid() != 0) return;
  box.settings.unprivileged = true;
  for (const auto& entry : fs::recursive_directory_iterator(box.dir.path())) {
    chmod(entry.path().c_str(), entry.is_directory() ? 0777 : 0666);
  }
  chmod(box.dir.path().c_str(), 0777);
}

TEST(DryRunTest, WritesNothingAnywhereAndPrintsOneLinePerEntry) {
  Sandbox box;
  const std::string in = box.dir.Write("in/a.txt", "a b\r\n\r\nc");
  box.dir.Write("in/b.txt", "same");
  box.dir.Write("out/a.txt", "older result");
  const auto before = Snapshot(box.dir.path());
  // Into another folder and in place, with a missing entry among them.
  for (const std::string& out : {box.dir / "out", box.dir / "in"}) {
    const ProgramResult result =
        box.Run({"--operation", "remove-all-spaces", "--output", out,
                 "--dry-run", in, box.dir / "in/b.txt", box.dir / "in/gone"});
    EXPECT_EQ(result.status, 1) << result.err;  // as the real run: one failed
    const std::vector<std::string> lines = Lines(result.out);
    ASSERT_EQ(lines.size(), 4u) << result.out;
    EXPECT_EQ(lines[0], in + "\tchanged\t1\t");
    EXPECT_EQ(lines[1], box.dir / "in/b.txt" + "\tunchanged\t0\t");
    // In place the file is not copied onto itself: the message says so.
    const std::string failure = out == box.dir / "in"
                                    ? "Cannot edit " + box.dir / "in/gone" + " in place: "
                                    : "Cannot copy " + box.dir / "in/gone" + " to ";
    EXPECT_EQ(lines[2].rfind(box.dir / "in/gone" + "\tfailed\t0\t" + failure, 0),
              0u) << lines[2];
    EXPECT_EQ(lines[3], "Done.");
  }
  EXPECT_EQ(Snapshot(box.dir.path()), before);
  EXPECT_TRUE(box.dir.List("state").empty());
}

// The counts of each operation on a known input, the same in a dry run
// and in the real run's report.
struct CountCase {
  Args operation;
  std::string input;
  std::string counts;  // "changes":N,"bytes_before":N,"bytes_after":N
};

class CountTest : public ::testing::TestWithParam<CountCase> {};

TEST_P(CountTest, DryRunAndRunReportTheSameTrueCounts) {
  const CountCase& c = GetParam();
  Sandbox box;
  const std::string in = box.dir.Write("in/f.txt", c.input);
  const std::string out = box.dir.MakeFolder("out");
  Args args = c.operation;
  args.insert(args.end(), {"--output", out, "--report", "-", in});
  Args dry = args;
  dry.push_back("--dry-run");
  const ProgramResult preview = box.Run(dry);
  const ProgramResult run = box.Run(args);
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string report = Lines(run.out).back();
  EXPECT_NE(report.find(c.counts), std::string::npos) << report;
  EXPECT_EQ(Lines(preview.out).back(), report);
  EXPECT_NE(report.find("\"bytes_after\":" +
                        std::to_string(fs::file_size(out + "/f.txt"))),
            std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    KnownInputs, CountTest,
    ::testing::Values(
        CountCase{{"--operation", "remove-all-spaces"}, "a b  c\n d",
                  R"("changes":4,"bytes_before":9,"bytes_after":5)"},
        CountCase{{"--operation", "remove-extra-spaces"}, "a  b     c d",
                  R"("changes":5,"bytes_before":12,"bytes_after":7)"},
        CountCase{{"--operation", "remove-blank-lines"}, "a\r\n\r\n\nb\n\n",
                  R"("changes":3,"bytes_before":9,"bytes_after":5)"},
        CountCase{{"--operation", "remove-non-alphanumeric"},
                  "\xc3\xa9t\xc3\xa9! \xe2\x82\xac",
                  R"("changes":4,"bytes_before":10,"bytes_after":2)"},
        CountCase{{"--operation", "remove-numeric"}, std::string("\xff\xfe" "1\0a\0" "2\0", 8),
                  R"("changes":2,"bytes_before":8,"bytes_after":4)"},
        CountCase{{"--operation", "find-and-replace", "--find-what",
                   "cat\ndog", "--replace-with", "dog\nbird"},
                  "cat dog cat",
                  R"("changes":5,"bytes_before":11,"bytes_after":14,"reason":"","per_pair":[2,3])"},
        CountCase{{"--operation", "remove-x", "--find-what", "ab"}, "abcabab",
                  R"("changes":3,"bytes_before":7,"bytes_after":1)"},
        CountCase{{"--operation", "copy"}, "x y",
                  R"("status":"unchanged","changes":0,"bytes_before":3,"bytes_after":3)"}));

TEST(ReportTest, FileHoldsEveryKeyForEveryEntry) {
  Sandbox box;
  const std::string in = box.dir.Write("in/a\"b.txt", "x\ty");
  const std::string out = box.dir.MakeFolder("out");
  const ProgramResult result =
      box.Run({"--operation", "remove-all-tabs", "--output", out, "--report",
               box.dir / "report.jsonl", in, box.dir / "in/gone.txt"});
  EXPECT_EQ(result.status, 1);
  const std::vector<std::string> lines = Lines(ReadAll(box.dir / "report.jsonl"));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "{\"source\":\"" + box.dir.path() + "/in/a\\\"b.txt\","
                      "\"output\":\"" + out + "/a\\\"b.txt\",\"status\":"
                      "\"changed\",\"changes\":1,\"bytes_before\":3,"
                      "\"bytes_after\":2,\"reason\":\"\"}");
  EXPECT_NE(lines[1].find("\"status\":\"failed\",\"changes\":0,"
                          "\"bytes_before\":null,\"bytes_after\":null,"
                          "\"reason\":\"Cannot copy "),
            std::string::npos) << lines[1];
}

TEST(ReportTest, SharedOutputNameNoteIsTheLaterEntrysReason) {
  Sandbox box;
  const std::string first = box.dir.Write("b/x.txt", "b");
  const std::string second = box.dir.Write("c/x.txt", "c");
  const std::string out = box.dir.MakeFolder("out");
  box.Run({"--operation", "remove-all-tabs", "--output", out, "--report",
           box.dir / "report.jsonl", first, second});
  const std::vector<std::string> lines = Lines(ReadAll(box.dir / "report.jsonl"));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_NE(lines[0].find("\"reason\":\"\""), std::string::npos) << lines[0];
  EXPECT_NE(lines[1].find("the last one wins"), std::string::npos) << lines[1];
}

TEST(UndoTest, RestoresReplacedRemovesCreatedAndLeavesChangedFiles) {
  Sandbox box;
  const std::string in_place = box.dir.Write("in/p.txt", "in  place\n");
  chmod(in_place.c_str(), 0640);
  const std::string other = box.dir.Write("in/q.txt", "q  q");
  const std::string touched = box.dir.Write("in/t.txt", "t  t");
  const std::string fresh = box.dir.Write("src/new.txt", "n  n");
  const std::string old_output = box.dir.Write("in/r.txt", "before\n");
  const std::string r_source = box.dir.Write("src/r.txt", "r  r");
  const auto before = Snapshot(box.dir / "in");
  const ProgramResult run =
      box.Run({"--operation", "remove-extra-spaces", "--output", box.dir / "in",
               in_place, other, touched, fresh, r_source});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(ReadAll(box.dir / "in/r.txt"), "r r");
  WriteAll(touched, "edited by hand");  // changed since the run

  const ProgramResult list = box.Run({"--list-runs"});
  ASSERT_EQ(Lines(list.out).size(), 1u);
  EXPECT_NE(list.out.find("\tremove-extra-spaces\t" + box.dir / "in" +
                          "\t5 file(s)"),
            std::string::npos) << list.out;

  const ProgramResult undo = box.Run({"--undo"});
  EXPECT_EQ(undo.status, 1);
  EXPECT_NE(undo.out.find("left\t" + touched + "\tit has changed since the run"),
            std::string::npos) << undo.out;
  EXPECT_NE(undo.out.find("removed\t" + box.dir / "in/new.txt"), std::string::npos);
  auto after = Snapshot(box.dir / "in");
  EXPECT_EQ(after.at(touched).substr(after.at(touched).rfind(':')),
            ":edited by hand");
  after.erase(touched);
  auto expected = before;
  expected.erase(touched);
  // Every other file is back byte for byte, as the very same file
  // (modification time and inode), and the created file is gone.
  EXPECT_EQ(after, expected);
  struct stat info {};
  ASSERT_EQ(stat(in_place.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);

  // The run stays listed as undone, for its file left alone; a second
  // undo finds nothing more to do.
  EXPECT_NE(box.Run({"--list-runs"}).out.find("\tundone"), std::string::npos);
  const ProgramResult again = box.Run({"--undo"});
  EXPECT_EQ(again.status, 2);
  EXPECT_NE(again.err.find("no run to undo"), std::string::npos);
}

TEST(JournalTest, KeepsTheLastRunsWithinItsCap) {
  Sandbox box;
  const std::string out = box.dir.MakeFolder("out");
  const std::string in = box.dir.Write("in/f.txt", std::string(60, 'x') + " ");
  box.settings.environment.push_back("TARNWICK_JOURNAL_MAX_BYTES=100");
  // The first run creates the result (keeping nothing); each later one
  // replaces the 60-byte result of the one before, and two of those would
  // keep 120 bytes: the second run goes, the first and the newest stay.
  for (int run = 0; run < 3; ++run) {
    ASSERT_EQ(box.Run({"--operation", "0", "--output", out, in}).status, 0);
  }
  EXPECT_EQ(Lines(box.Run({"--list-runs"}).out).size(), 2u);

  // Without a byte cap, at most 20 runs.
  box.settings.environment.pop_back();
  for (int run = 0; run < 22; ++run) {
    ASSERT_EQ(box.Run({"--operation", "0", "--output", out, in}).status, 0);
  }
  EXPECT_EQ(Lines(box.Run({"--list-runs"}).out).size(), 20u);
}

TEST(JournalTest, CopiesAcrossFileSystemsWithinTheCap) {
  char pattern[] = "/dev/shm/tarnwick-journal-XXXXXX";
  struct stat shm {}, tmp {};
  if (stat("/dev/shm", &shm) != 0 || mkdtemp(pattern) == nullptr) {
    GTEST_SKIP() << "no /dev/shm to put the journal on another file system";
  }
  Sandbox box(pattern);
  stat(box.dir.path().c_str(), &tmp);
  if (shm.st_dev == tmp.st_dev) {
    fs::remove_all(pattern);
    GTEST_SKIP() << "/dev/shm is on the test folder's file system";
  }
  box.settings.environment.push_back("TARNWICK_JOURNAL_MAX_BYTES=10");
  const std::string a = box.dir.Write("out/a.txt", "six b\n");
  const std::string b = box.dir.Write("out/b.txt", "six c\n");
  const std::string same = box.dir.Write("out/same.txt", "unchanged\n");
  const struct timespec times[2] = {{1000, 0}, {2000, 123456789}};
  utimensat(AT_FDCWD, a.c_str(), times, 0);
  const ProgramResult run = box.Run({"--operation", "0", "--output",
                                     box.dir / "out", a, b, same});
  EXPECT_EQ(run.status, 0);
  // A file the run leaves as it was is neither copied nor noted.
  EXPECT_EQ(run.err.find("same.txt"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("b.txt: its old content was not kept: a copy of 6 "
                         "bytes would pass the journal's cap of 10 bytes"),
            std::string::npos) << run.err;
  const ProgramResult undo = box.Run({"--undo"});
  EXPECT_NE(undo.out.find("restored\t" + a), std::string::npos) << undo.out;
  EXPECT_NE(undo.out.find("left\t" + b), std::string::npos);
  EXPECT_EQ(ReadAll(a), "six b\n");
  EXPECT_EQ(ReadAll(b), "sixc\n");
  struct stat info {};
  stat(a.c_str(), &info);  // put back with its modification time
  EXPECT_EQ(info.st_mtim.tv_sec, 2000);
  EXPECT_EQ(info.st_mtim.tv_nsec, 123456789);
  fs::remove_all(pattern);
}

// A signal stops the run once the file in hand is finished: the files
// before are done, the rest untouched, and the run is reported, listed and
// undoable as far as it got.
class InterruptionTest : public ::testing::TestWithParam<int> {};

TEST_P(InterruptionTest, StopsBetweenFilesThenJournalsAndReports) {
  const int signal_number = GetParam();
  Sandbox box;
  constexpr int kFiles = 1500;
  const std::string report = box.dir / "report.jsonl";
  Args args = {"--operation", "remove-all-tabs", "--output", box.dir / "in",
               "--report", report};
  std::vector<std::string> files;
  for (int i = 0; i < kFiles; ++i) {
    files.push_back(box.dir.Write("in/f" + std::to_string(i) + ".txt", "a\tb"));
  }
  args.insert(args.end(), files.begin(), files.end());
  box.settings.interrupt_signal = signal_number;
  box.settings.interrupt_when = [&] { return ReadAll(files[2]) == "ab"; };
  const ProgramResult run = box.Run(args);
  box.settings.interrupt_when = nullptr;
  if (run.status == 0) GTEST_SKIP() << "the run ended before the signal";
  ASSERT_EQ(run.status, 128 + signal_number) << run.err;
  EXPECT_EQ(run.out, "");  // no "Done."
  const std::string said = "tarnwick-batch: interrupted: ";
  ASSERT_EQ(run.err.rfind(said, 0), 0u) << run.err;
  const int done = std::atoi(run.err.c_str() + said.size());
  EXPECT_EQ(run.err, said + std::to_string(done) + " of " +
                         std::to_string(kFiles) +
                         " files done, the rest left alone\n");
  ASSERT_GE(done, 3);
  if (done == kFiles) GTEST_SKIP() << "the signal came during the last file";
  int changed = 0;
  for (int i = 0; i < kFiles; ++i) {
    if (ReadAll(files[i]) == (i < done ? "ab" : "a\tb")) ++changed;
  }
  EXPECT_EQ(changed, kFiles) << "only the first " << done << " changed";
  EXPECT_EQ(Lines(ReadAll(report)).size(), static_cast<std::size_t>(done));

  const ProgramResult list = box.Run({"--list-runs"});
  EXPECT_NE(list.out.find("\t" + std::to_string(done) + " file(s)"),
            std::string::npos) << list.out;
  const ProgramResult undo = box.Run({"--undo"});
  EXPECT_EQ(undo.status, 0) << undo.err;
  EXPECT_EQ(Lines(undo.out).size(), static_cast<std::size_t>(done));
  int restored = 0;
  for (const std::string& file : files) restored += ReadAll(file) == "a\tb";
  EXPECT_EQ(restored, kFiles);
}

INSTANTIATE_TEST_SUITE_P(Signals, InterruptionTest,
                         ::testing::Values(SIGINT, SIGTERM, SIGHUP));

// Standard output on a pipe nobody reads: the run still ends whole and
// journaled; the lost output makes the exit status 1.
TEST(BrokenPipeTest, LostOutputFailsTheRunButLeavesItWhole) {
  Sandbox box;
  const std::string a = box.dir.Write("in/a.txt", "a\t");
  const std::string b = box.dir.Write("in/b.txt", "b\t");
  box.settings.output_closed = true;
  const ProgramResult run = box.Run({"--operation", "remove-all-tabs",
                                     "--output", box.dir / "in", a, b});
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_EQ(run.err,
            "tarnwick-batch: write error on standard output: Broken pipe\n");
  EXPECT_EQ(ReadAll(a) + ReadAll(b), "ab");
  // The report on the same pipe: every line names the first error.
  const ProgramResult reported =
      box.Run({"--operation", "remove-all-tabs", "--report", "-", "--output",
               box.dir / "in", a, b});
  EXPECT_EQ(reported.status, 1) << reported.err;
  EXPECT_EQ(reported.err,
            "tarnwick-batch: --report: cannot write to standard output: "
            "Broken pipe\n"
            "tarnwick-batch: write error on standard output: Broken pipe\n");
  box.settings.output_closed = false;
  EXPECT_NE(box.Run({"--list-runs"}).out.find("\t2 file(s)"),
            std::string::npos);
}

// --report naming a file of the run, a folder or a file in a folder that
// does not exist is refused before the run: nothing at all is written.
TEST(ReportTest, RefusesAFileOfTheRunOrAFolder) {
  Sandbox box;
  const std::string notes = box.dir.Write("in/notes.txt", "keep\t\n");
  const std::string fresh = box.dir.Write("in/new.txt", "new\t\n");
  box.dir.Write("out/notes.txt", "earlier result\n");
  ASSERT_EQ(link(notes.c_str(), (box.dir / "in/link").c_str()), 0);
  ASSERT_EQ(symlink("../out/new.txt", (box.dir / "in/dangling").c_str()), 0);
  const struct {
    std::string report;
    std::string says;
  } cases[] = {
      {notes, notes + " is an input of the run"},
      {box.dir / "in/./notes.txt", "is an input of the run: " + notes},
      {box.dir / "in/link", "is an input of the run: " + notes},
      {box.dir / "out/notes.txt", " is an output of the run"},
      // An output that does not exist yet, by its resolved name.
      {box.dir / "in/../out/new.txt",
       "is an output of the run: " + box.dir / "out/new.txt"},
      {box.dir / "in/dangling",
       "is an output of the run: " + box.dir / "out/new.txt"},
      {box.dir / "out", box.dir / "out is a folder"},
      {box.dir / "nowhere/r.jsonl",
       "the folder " + box.dir / "nowhere" + " does not exist"},
      {notes + "/r.jsonl", notes + " is not a folder"},
  };
  const auto before = Snapshot(box.dir.path());
  for (const auto& c : cases) {
    const ProgramResult run =
        box.Run({"--operation", "remove-all-tabs", "--output", box.dir / "out",
                 "--report", c.report, notes, fresh});
    EXPECT_EQ(run.status, 2) << c.report;
    EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "") << c.report;
    EXPECT_EQ(Snapshot(box.dir.path()), before) << c.report;
  }
}

// The standard streams are written as they are: a log they append to
// keeps its earlier lines, whatever name the report gives the stream (or
// the log itself).
TEST(ReportTest, StandardStreamsAppendWithoutTruncating) {
  Sandbox box;
  const std::string in = box.dir.Write("in/a.txt", "a\t");
  const std::string log = box.dir / "job.log";
  const struct {
    std::string report;
    std::string redirect;
  } cases[] = {{"/dev/stdout", ">>"},     {"-", ">>"},
               {"/dev/stderr", "2>>"},    {"/dev/fd/1", ">>"},
               {"/proc/self/fd/1", ">>"}, {"//dev/stdout", ">>"},
               {"/dev/fd/2", "2>>"},      {"'" + log + "'", ">>"}};
  for (const auto& c : cases) {
    WriteAll(log, "earlier line\n");
    const std::string command =
        box.settings.environment[0] + " '" + ProgramPath() +
        "' --operation remove-all-tabs --dry-run --output '" + box.dir / "in" +
        "' --report " + c.report + " '" + in + "' " + c.redirect + " '" + log +
        "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    const std::string text = ReadAll(log);
    EXPECT_EQ(text.rfind("earlier line\n", 0), 0u) << c.report << ": " << text;
    EXPECT_NE(text.find("{\"source\":\"" + in + "\""), std::string::npos)
        << c.report << ": " << text;
  }
}

// A report from an earlier run, inside the folder the run scans, is not
// one of the run's files.
TEST(ReportTest, IsLeftOutOfTheFolderScan) {
  Sandbox box;
  box.dir.Write("in/a.txt", "a\t");
  const std::string report = box.dir.Write("in/report.txt", "{\"old\":1}\t\n");
  const ProgramResult run =
      box.Run({"--operation", "remove-all-tabs", "--output", box.dir / "in",
               "--report", report, "--add-folder", box.dir / "in"});
  EXPECT_EQ(run.status, 0) << run.err;
  const std::vector<std::string> lines = Lines(ReadAll(report));
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].rfind("{\"source\":\"" + box.dir / "in/a.txt\"", 0), 0u)
      << lines[0];
}

// TAB, newline, backslash and escape codes in names do not break the
// lines of the dry run, --list-runs and --undo.
TEST(LinesTest, NamesAreEscaped) {
  Sandbox box;
  const std::string name = "t\tn\nb\\e\x1b[31m.txt";
  const std::string in = box.dir.Write("in/" + name, "a\t");
  const std::string out = box.dir.MakeFolder("o\tut");
  const Args args = {"--operation", "remove-all-tabs", "--output", out, in};
  Args dry = args;
  dry.push_back("--dry-run");
  EXPECT_EQ(box.Run(dry).out,
            box.dir / "in/t\\tn\\nb\\\\e\\x1b[31m.txt\tchanged\t1\t\nDone.\n");
  ASSERT_EQ(box.Run(args).status, 0);
  EXPECT_NE(box.Run({"--list-runs"}).out.find(
                "\t" + box.dir / "o\\tut\t1 file(s)\n"),
            std::string::npos);
  EXPECT_EQ(box.Run({"--undo"}).out,
            "removed\t" + box.dir / "o\\tut/t\\tn\\nb\\\\e\\x1b[31m.txt\n");
}

// The note that a file's old content was not kept names the file escaped
// too: no escape code of a name reaches the terminal.
TEST(LinesTest, JournalNotesEscapeNames) {
  TempDir place;
  Sandbox box(place.Write("state-is-a-file", ""));  // no journal folder
  const std::string in = box.dir.Write("in/e\x1b[31m\tx.txt", "a\t");
  const ProgramResult run = box.Run(
      {"--operation", "remove-all-tabs", "--output", box.dir / "in", in});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err.find('\x1b'), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("note: " + box.dir / "in/e\\x1b[31m\\tx.txt: "
                         "its old content was not kept"),
            std::string::npos)
      << run.err;
}

// Without HOME and XDG_STATE_HOME the journal is off, said once; nothing
// is written at the root.
TEST(JournalTest, IsOffWithANoteWithoutAHome) {
  Sandbox box;
  const std::string in = box.dir.Write("in/a.txt", "a\t");
  box.dir.Write("in/b.txt", "b\t");
  box.settings.environment = {"HOME", "XDG_STATE_HOME"};  // unset
  AsUnprivilegedWhenRoot(box);
  const bool had_root_journal = fs::exists("/.local/state/tarnwick");
  const ProgramResult run = box.Run({"--operation", "remove-all-tabs",
                                     "--output", box.dir / "in", in,
                                     box.dir / "in/b.txt"});
  if (!run.started) GTEST_SKIP() << "cannot run as an unprivileged user";
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err,
            "tarnwick-batch: note: the journal is off (neither XDG_STATE_HOME "
            "nor HOME names a folder to keep it in): this run cannot be "
            "undone\n");
  EXPECT_EQ(ReadAll(in), "a");
  if (!had_root_journal) {
    EXPECT_FALSE(fs::exists("/.local/state/tarnwick"));
  }
  const ProgramResult undo = box.Run({"--undo"});
  EXPECT_EQ(undo.status, 2);
  EXPECT_NE(undo.err.find("there is no journal"), std::string::npos);
  EXPECT_NE(box.Run({"--list-runs"}).err.find("there is no journal"),
            std::string::npos);
}

// A journal or a report place the user may not use says "Permission
// denied".
TEST(JournalTest, PermissionErrorsNamePermission) {
  Sandbox box;
  const std::string in = box.dir.Write("in/a.txt", "a\t");
  const std::string journal = box.dir.MakeFolder("state/tarnwick");
  const std::string locked = box.dir.MakeFolder("locked");
  AsUnprivilegedWhenRoot(box);
  chmod(journal.c_str(), 0);
  chmod(locked.c_str(), 0555);
  const struct {
    Args args;
    int status;
  } cases[] = {
      {{"--list-runs"}, 1},
      {{"--undo"}, 2},
      {{"--operation", "remove-all-tabs", "--dry-run", "--output",
        box.dir / "in", "--report", locked + "/r.jsonl", in}, 1},
  };
  for (const auto& c : cases) {
    const ProgramResult run = box.Run(c.args);
    if (!run.started) GTEST_SKIP() << "cannot run as an unprivileged user";
    EXPECT_EQ(run.status, c.status) << c.args[0] << ": " << run.err;
    EXPECT_NE(run.err.find("Permission denied"), std::string::npos)
        << c.args[0] << ": " << run.err;
  }
  chmod(journal.c_str(), 0700);
}

}  // namespace
}  // namespace tarnwick::testing
