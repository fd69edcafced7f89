// Preview, report and undo through tarnwick-batch on real files: a dry run
// writes nothing, the counts and the report are true, undo puts back
// exactly what the run replaced and removes what it created, and leaves
// alone what changed since; the journal keeps to its cap.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

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

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t at; (at = text.find('\n', start)) != std::string::npos;
       start = at + 1) {
    lines.push_back(text.substr(start, at - start));
  }
  return lines;
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
                          "\"bytes_before\":0,\"bytes_after\":0,"
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

}  // namespace
}  // namespace tarnwick::testing
