// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "batch/batch_run.h"

#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/text_operations.h"
#include "files/system_calls.h"
#include "tests/batch/scripted_host.h"
#include "tests/support/temp_dir.h"

namespace tarnwick {
namespace {

using testing::DialogAnswer;
using testing::ReadAll;
using testing::ScriptedHost;
using testing::TempDir;

DialogAnswer Cancel() {
  DialogAnswer answer;
  answer.cancel = true;
  return answer;
}

DialogAnswer Closed() {
  DialogAnswer answer;
  answer.closed = true;
  return answer;
}

DialogAnswer Answer(std::u16string find, std::u16string replace = u"",
                    std::function<void(ScriptedHost&)> while_open = nullptr) {
  DialogAnswer answer;
  answer.find_what = std::move(find);
  answer.replace_with = std::move(replace);
  answer.while_open = std::move(while_open);
  return answer;
}

constexpr char kRemoveAllTabs[] = "Remove all tabs in text file(s)";
constexpr char kRemoveX[] = "Remove x (user-specified) character(s) in text file(s)";
constexpr char kFindReplace[] =
    "Find and replace x (user-specified) character(s) in text file(s)";

// The process may open no more than files files while it lives.
class OpenFileLimit {
 public:
  explicit OpenFileLimit(rlim_t files) {
    EXPECT_EQ(getrlimit(RLIMIT_NOFILE, &before_), 0);
    rlimit low = before_;
    low.rlim_cur = files;
    EXPECT_EQ(setrlimit(RLIMIT_NOFILE, &low), 0);
  }
  ~OpenFileLimit() { setrlimit(RLIMIT_NOFILE, &before_); }
  OpenFileLimit(const OpenFileLimit&) = delete;
  OpenFileLimit& operator=(const OpenFileLimit&) = delete;

 private:
  rlimit before_{};
};

// An input folder "in", an output folder "out" and a host pointed at them.
class BatchRunTest : public ::testing::Test {
 protected:
  BatchRunTest() {
    in_ = dir_.MakeFolder("in");
    out_ = dir_.MakeFolder("out");
    host_.output_folder = out_;
  }
  std::string AddFile(const std::string& name, const std::string& bytes) {
    host_.files.push_back(dir_.Write("in/" + name, bytes));
    return host_.files.back();
  }
  std::string Out(const std::string& name) { return out_ + "/" + name; }
  BatchSummary Run() { return StartRemoving(host_, results_); }
  void ExpectDone() {
    ASSERT_FALSE(host_.messages.empty());
    EXPECT_EQ(host_.messages.back(), "Done.");
  }

  TempDir dir_;
  std::string in_, out_;
  ScriptedHost host_;
  DialogResults results_;
};

TEST_F(BatchRunTest, ValidationTestsTheListFirstThenTheFolder) {
  struct Case {
    int files;
    const char* folder;  // relative to the temporary folder; "" = as typed
    const char* message;
  };
  const Case cases[] = {
      {0, "missing", "No files added."},
      {0, "out", "No files added."},
      {1, "missing", "Folder does not exist. Please select another folder."},
      {1, "", "Folder does not exist. Please select another folder."},
      {1, "in/a.txt", "Folder does not exist. Please select another folder."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message + std::string(" / ") + c.folder);
    ScriptedHost host;
    if (c.files) host.files.push_back(dir_.Write("in/a.txt", "a\tb"));
    host.output_folder = *c.folder ? dir_ / c.folder : "";
    host.chooser = kRemoveAllTabs;
    const BatchSummary summary = StartRemoving(host, results_);
    EXPECT_FALSE(summary.validated);
    EXPECT_EQ(host.messages, std::vector<std::string>{c.message});
    EXPECT_TRUE(host.progress_values.empty());
    EXPECT_TRUE(host.busy.empty());
    EXPECT_TRUE(host.reporter.reports().empty());
  }
}

TEST_F(BatchRunTest, AnOperationNeverCreatesTheFileItWasToEdit) {
  // The input is removed while the dialog is open: the operation finds it
  // gone and says so, whichever path the operation takes, and writes
  // nothing, in place or into another folder.
  for (const char* find : {"x", "\xed\xb0\x80"}) {  // bytes, or whole text
    for (const bool in_place : {true, false}) {
      SCOPED_TRACE(std::string(find) + (in_place ? " in place" : " copied"));
      ScriptedHost host;
      const std::string input = dir_.Write("in/a.txt", "a x b");
      host.files = {input};
      host.output_folder = in_place ? in_ : out_;
      host.chooser = kRemoveX;
      host.remove_answers.push_back(Answer(testing::U16(find), u"", [&](ScriptedHost&) {
        std::filesystem::remove(input);
      }));
      StartRemoving(host, results_);
      ASSERT_EQ(host.reporter.lines(), std::vector<int>{172});
      EXPECT_NE(host.reporter.reports()[0].find(
                    input + (in_place ? ": the file has gone"
                                      : ": No such file or directory")),
                std::string::npos)
          << host.reporter.reports()[0];
      EXPECT_TRUE(dir_.List("in").empty());
      EXPECT_TRUE(dir_.List("out").empty());
    }
  }
}

TEST_F(BatchRunTest, EachEntryShowsProgressYieldsThenWorksAndTheRunCloses) {
  AddFile("one.txt", "a\tb");
  AddFile("two.txt", "\t\t");
  host_.chooser = kRemoveAllTabs;
  const BatchSummary summary = Run();
  EXPECT_EQ(host_.log, (std::vector<std::string>{
                           "progress 50", "text Processing: one.txt", "events",
                           "busy", "busy",  //
                           "progress 100", "text Processing: two.txt", "events",
                           "busy", "busy",  //
                           "idle", "progress 0", "text Progress Bar",
                           "message Done."}));
  EXPECT_EQ(ReadAll(Out("one.txt")), "ab");
  EXPECT_EQ(ReadAll(Out("two.txt")), "");
  EXPECT_EQ(ReadAll(in_ + "/one.txt"), "a\tb");
  EXPECT_TRUE(summary.validated);
  EXPECT_EQ(summary.files, 2);
  EXPECT_EQ(summary.failures, 0);
}

// Every chooser entry reaches its own operation; the separators and an
// empty chooser only copy. Case does not matter.
TEST_F(BatchRunTest, ChooserTextPicksTheOperation) {
  using Operation = void (*)(const std::string&);
  const struct {
    const char* chooser;
    Operation operation;
  } cases[] = {
      {"Remove all spaces in text file(s)", &RemoveAllSpaces},
      {"Remove all spaces except for single space between words in text file(s)",
       &RemoveExtraSpaces},
      {"Remove all blank lines (enters) in text file(s)", &RemoveBlankLines},
      {kRemoveAllTabs, &RemoveAllTabs},
      {"-", nullptr},
      {"Remove alphabet character(s) in text file(s)", &RemoveAlphabet},
      {"Remove numeric character(s) in text file(s)", &RemoveNumeric},
      {"Remove alphanumeric character(s) in text file(s)", &RemoveAlphanumeric},
      {"Remove non-alphanumeric character(s) in text file(s)",
       &RemoveNonAlphanumeric},
      {"", nullptr},
      {"REMOVE ALL TABS IN TEXT FILE(S)", &RemoveAllTabs},
  };
  const std::string input = "Ab  c\td  9\r\n\r\n\r\n-x  y!\t\xC3\xA9\r\n";
  const std::string source = AddFile("mix.txt", input);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.chooser);
    host_.chooser = c.chooser;
    Run();
    std::string expected = input;
    if (c.operation) {
      const std::string reference = dir_.Write("reference.txt", input);
      c.operation(reference);
      expected = ReadAll(reference);
    }
    EXPECT_EQ(ReadAll(Out("mix.txt")), expected);
    EXPECT_EQ(ReadAll(source), input);
    ExpectDone();
  }
  EXPECT_TRUE(host_.reporter.reports().empty());
}

TEST_F(BatchRunTest, OutputPaths) {
  host_.chooser = kRemoveAllTabs;
  // A trailing separator gives one, as the report's path shows.
  host_.output_folder = out_ + "/";
  host_.files = {in_ + "/gone.txt"};
  Run();
  ASSERT_EQ(host_.reporter.lines(), std::vector<int>{122});
  EXPECT_NE(host_.reporter.reports()[0].find(out_ + "/gone.txt"), std::string::npos);
  EXPECT_EQ(host_.reporter.reports()[0].find("//"), std::string::npos);
  ExpectDone();

  // Same names in different folders: the later entry's result remains.
  host_.files = {dir_.Write("in/a/same.txt", "first\t"),
                 dir_.Write("in/b/same.txt", "second\t")};
  Run();
  EXPECT_EQ(ReadAll(Out("same.txt")), "second");

  // The input's own folder: the input itself is rewritten in place.
  host_.output_folder = in_ + "/a";
  host_.files = {in_ + "/a/same.txt"};
  const std::size_t reports = host_.reporter.reports().size();
  Run();
  EXPECT_EQ(ReadAll(in_ + "/a/same.txt"), "first");
  EXPECT_EQ(host_.reporter.reports().size(), reports);
}

TEST_F(BatchRunTest, AFileThatCannotBeCopiedIsReportedAndLeftAlone) {
  host_.chooser = kRemoveAllTabs;
  AddFile("a.txt", "a\t");
  host_.files.push_back(in_ + "/missing.txt");
  AddFile("c.txt", "c\t");
  // An earlier result under the missing file's name is not worked on.
  const std::string earlier = dir_.Write("out/missing.txt", "old\t");
  const BatchSummary summary = Run();
  EXPECT_EQ(host_.reporter.lines(), std::vector<int>{122});
  const std::string& report = host_.reporter.reports()[0];
  EXPECT_NE(report.find(in_ + "/missing.txt"), std::string::npos) << report;
  EXPECT_EQ(ReadAll(earlier), "old\t");
  EXPECT_EQ(ReadAll(Out("a.txt")), "a");
  EXPECT_EQ(ReadAll(Out("c.txt")), "c");
  EXPECT_EQ(summary.failures, 1);
  EXPECT_EQ(summary.files, 3);
  ExpectDone();
}

TEST_F(BatchRunTest, FailuresInTheMiddleAreReportedAndTheRunGoesOn) {
  host_.chooser = kRemoveAllTabs;
  AddFile("a.txt", "a\t");
  // An entry that lies in the output folder itself is rewritten in place;
  // a read-only one is refused by the operation.
  const std::string locked = dir_.Write("out/locked.txt", "b\t");
  host_.files.push_back(locked);
  ASSERT_EQ(chmod(locked.c_str(), 0444), 0);
  AddFile("c.txt", "c\t");
  const BatchSummary summary = Run();
  EXPECT_EQ(host_.reporter.lines(), std::vector<int>{142});
  EXPECT_EQ(ReadAll(Out("locked.txt")), "b\t");
  EXPECT_EQ(ReadAll(Out("c.txt")), "c");
  EXPECT_EQ(summary.failures, 1);
  ExpectDone();

  // A dialog that fails to show is reported; its file is only copied.
  struct FailingDialogHost : ScriptedHost {
    void ShowRemoveDialog(const std::string&, DialogResults&) override {
      throw std::runtime_error("Cannot show the dialog");
    }
  } failing;
  failing.files = {AddFile("d.txt", "ddd")};
  failing.output_folder = out_;
  failing.chooser = kRemoveX;
  results_ = DialogResults{u"d", u""};  // left from an earlier dialog
  EXPECT_EQ(StartRemoving(failing, results_).failures, 1);
  EXPECT_EQ(failing.reporter.lines(), std::vector<int>{166});
  EXPECT_EQ(ReadAll(Out("d.txt")), "ddd");
  EXPECT_EQ(failing.messages, std::vector<std::string>{"Done."});
}

TEST_F(BatchRunTest, RemoveXAsksPerFileWithItsPosition) {
  host_.chooser = kRemoveX;
  const std::string utf16 = std::string("\xFF\xFE", 2) + std::string("a\0x\0", 4);
  for (int i = 1; i <= 5; ++i) AddFile("f" + std::to_string(i) + ".txt", "axbx");
  host_.files[1] = dir_.Write("in/wide.txt", utf16);
  results_ = DialogResults{u"a", u"b"};  // stale: never used
  host_.remove_answers = {Closed(), Cancel(), Answer(u""),
                          Answer(u"x"), Answer(u"b\r\nx")};
  Run();
  EXPECT_EQ(host_.captions,
            (std::vector<std::string>{"Remove X - File 1. ", "Remove X - File 2. ",
                                      "Remove X - File 3. ", "Remove X - File 4. ",
                                      "Remove X - File 5. "}));
  EXPECT_EQ(ReadAll(Out("f1.txt")), "axbx");
  EXPECT_EQ(ReadAll(Out("wide.txt")), utf16);  // exact copy when cancelled
  EXPECT_EQ(ReadAll(Out("f3.txt")), "axbx");
  EXPECT_EQ(ReadAll(Out("f4.txt")), "ab");
  EXPECT_EQ(ReadAll(Out("f5.txt")), "a");
  EXPECT_TRUE(host_.reporter.reports().empty());

  // Confirmed on 16-bit input: the result is 8-bit text.
  host_.files = {host_.files[1]};
  host_.remove_answers = {Answer(u"x")};
  Run();
  EXPECT_EQ(ReadAll(Out("wide.txt")), "\xEF\xBB\xBF" "a");
}

TEST_F(BatchRunTest, FindAndReplaceAsksEveryFileUnlessTheReuseBoxIsTicked) {
  host_.chooser = kFindReplace;
  for (int i = 1; i <= 5; ++i) AddFile("f" + std::to_string(i) + ".txt", "one two");

  // Not ticked: one dialog per file; either result empty skips the file.
  host_.replace_answers = {Answer(u"one", u"1"), Answer(u"two", u""),
                           Answer(u"", u"x"), Cancel(),
                           Answer(u"one\r\ntwo", u"1\r\n2")};
  Run();
  EXPECT_EQ(host_.captions.size(), 5u);
  EXPECT_EQ(host_.captions.back(), "Find And Replace - File 5. ");
  const std::vector<std::string> expected = {"1 two", "one two", "one two",
                                             "one two", "1 2"};
  for (int i = 1; i <= 5; ++i) {
    EXPECT_EQ(ReadAll(Out("f" + std::to_string(i) + ".txt")), expected[i - 1]);
  }

  // Ticked during the first dialog: read afresh, so later files reuse it.
  host_.captions.clear();
  host_.replace_answers = {Answer(u"two", u"2", [](ScriptedHost& h) {
    h.settings.SaveSetting("Form3Check1", "1");
  })};
  Run();
  EXPECT_EQ(host_.captions, std::vector<std::string>{"Find And Replace - File 1. "});
  for (int i = 1; i <= 5; ++i) {
    EXPECT_EQ(ReadAll(Out("f" + std::to_string(i) + ".txt")), "one 2");
  }

  // Ticked from before: the first file of every run still asks; closing it
  // without an answer leaves every file of the run as copied, whatever the
  // results held before.
  host_.captions.clear();
  results_ = {u"one", u"1"};
  host_.replace_answers = {Closed()};
  Run();
  EXPECT_EQ(host_.captions.size(), 1u);
  for (int i = 1; i <= 5; ++i) {
    EXPECT_EQ(ReadAll(Out("f" + std::to_string(i) + ".txt")), "one two");
  }
  EXPECT_TRUE(host_.reporter.reports().empty());
}

// Into another folder every output is written once, straight from its
// input: one new file, one rename, no flush, whether the operation changes
// the text, leaves it as it was, or is not run at all; the input is only
// read.
TEST_F(BatchRunTest, IntoAnotherFolderEachOutputIsWrittenOnce) {
  static int creates, names, flushes;
  SystemCallsRestorer restore;
  FileSystemCalls().create_at = [](int folder, const char* name, int flags,
                                   mode_t mode) {
    ++creates;
    return ::openat(folder, name, flags, mode);
  };
  // Named by a rename, or, without a name before, by a link.
  FileSystemCalls().rename_at = [](int from_folder, const char* from,
                                   int to_folder, const char* to) {
    ++names;
    return ::renameat(from_folder, from, to_folder, to);
  };
  FileSystemCalls().link_at = [](int from_folder, const char* from,
                                 int to_folder, const char* to, int flags) {
    ++names;
    return ::linkat(from_folder, from, to_folder, to, flags);
  };
  FileSystemCalls().fsync = [](int fd) { ++flushes; return ::fsync(fd); };
  const struct {
    const char* chooser;
    std::deque<DialogAnswer> answers;
    std::string input, output;
  } cases[] = {
      {kRemoveAllTabs, {}, "a\tb\r\n", "ab\r\n"},
      {kRemoveAllTabs, {}, "no tabs", "no tabs"},
      {kFindReplace, {Answer(u"a", u"b")}, "a\tb", "b\tb"},
      {kFindReplace, {Cancel()}, "a\tb", "a\tb"},
      {"-", {}, "a\tb", "a\tb"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.chooser) + " on " + c.input);
    std::filesystem::remove_all(out_);
    dir_.MakeFolder("out");
    creates = names = flushes = 0;
    host_.files.clear();
    AddFile("one.txt", c.input);
    AddFile("two.txt", c.input);
    host_.chooser = c.chooser;
    host_.replace_answers = c.answers;
    host_.settings.SaveSetting("Form3Check1", "1");  // one answer for both
    Run();
    EXPECT_TRUE(host_.reporter.reports().empty());
    EXPECT_EQ(creates, 2);
    EXPECT_EQ(names, 2);
    EXPECT_EQ(flushes, 0);
    for (const char* name : {"one.txt", "two.txt"}) {
      EXPECT_EQ(ReadAll(Out(name)), c.output);
      EXPECT_EQ(ReadAll(in_ + "/" + name), c.input);
    }
  }
}

// With jobs working ahead, a new output is made without a name and linked
// in its turn: no temporary name, no rename; an entry in place is edited in
// its turn.
TEST_F(BatchRunTest, WorkingAheadEachNewOutputIsLinkedInItsTurn) {
  static int links, renames;
  SystemCallsRestorer restore;
  FileSystemCalls().link_at = [](int from_folder, const char* from,
                                 int to_folder, const char* to, int flags) {
    ++links;
    return ::linkat(from_folder, from, to_folder, to, flags);
  };
  FileSystemCalls().rename_at = [](int from_folder, const char* from,
                                   int to_folder, const char* to) {
    ++renames;
    return ::renameat(from_folder, from, to_folder, to);
  };
  links = renames = 0;
  for (int i = 0; i < 6; ++i) AddFile("f" + std::to_string(i) + ".txt", "a\tb");
  host_.files.push_back(dir_.Write("out/here.txt", "in\tplace"));
  host_.given = Operation::kRemoveAllTabs;
  host_.jobs = 2;
  Run();
  EXPECT_TRUE(host_.reporter.reports().empty());
  EXPECT_EQ(links, 6);
  EXPECT_EQ(renames, 1);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(ReadAll(Out("f" + std::to_string(i) + ".txt")), "ab");
  EXPECT_EQ(ReadAll(Out("here.txt")), "inplace");
  EXPECT_EQ(dir_.List("out").size(), 7u);
  ExpectDone();
}

// Results made ahead hold their files open until their turn: however many
// jobs are asked for, the run's own files and journal still find room
// among the files the process may open.
TEST_F(BatchRunTest, WorkingAheadLeavesRoomForTheRunsOwnFiles) {
  // Every fifth output is older, and replaced by the run in its turn.
  for (int i = 0; i < 200; ++i) {
    const std::string name = "f" + std::to_string(i) + ".txt";
    AddFile(name, "a\tb");
    if (i % 5 == 0) dir_.Write("out/" + name, "older");
  }
  host_.given = Operation::kRemoveAllTabs;
  host_.jobs = 16;
  {
    OpenFileLimit limit(64);
    Run();
  }
  EXPECT_TRUE(host_.reporter.reports().empty());
  for (int i = 0; i < 200; ++i) EXPECT_EQ(ReadAll(Out("f" + std::to_string(i) + ".txt")), "ab");
  ExpectDone();
}

// The files of a write group wait open: a group holds no more of them than
// the process may open beside its own files.
TEST_F(BatchRunTest, AWriteGroupStaysWithinTheOpenFileLimit) {
  for (int i = 0; i < 120; ++i) AddFile("f" + std::to_string(i) + ".txt", "a\tb");
  host_.output_folder = in_;  // in place
  host_.given = Operation::kRemoveAllTabs;
  host_.groups = GroupSettings{};
  {
    OpenFileLimit limit(48);
    Run();
  }
  EXPECT_TRUE(host_.reporter.reports().empty());
  for (int i = 0; i < 120; ++i) {
    EXPECT_EQ(ReadAll(in_ + "/f" + std::to_string(i) + ".txt"), "ab");
  }
}

// The files made ahead take room on the disk that one job has not taken
// yet: on a disk that is nearly full, an entry the run edits in its turn
// (here over an older output of the same size) fails no more than with
// one job.
TEST_F(BatchRunTest, OnANearlyFullDiskFilesMadeAheadLeaveTheEntryInHandRoom) {
  // The disk: the files in the output folder and the new files that have
  // no name yet, 12500 bytes at most (one job needs 12000).
  static std::string folder;
  folder = out_;
  static const auto unnamed = [] {
    off_t bytes = 0;
    struct stat info {};
    for (int fd = 0; fd < 256; ++fd) {
      if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
          info.st_nlink == 0) {
        bytes += info.st_size;
      }
    }
    return bytes;
  };
  SystemCallsRestorer restore;
  FileSystemCalls().write = [](int fd, const void* data, size_t size) {
    off_t used = unnamed();
    struct stat info {};
    if (DIR* listing = opendir(folder.c_str())) {
      while (const dirent* entry = readdir(listing)) {
        if (fstatat(dirfd(listing), entry->d_name, &info, 0) == 0 &&
            S_ISREG(info.st_mode)) {
          used += info.st_size;
        }
      }
      closedir(listing);
    }
    if (used + static_cast<off_t>(size) > 12500) {
      errno = ENOSPC;
      return ssize_t{-1};
    }
    return ::write(fd, data, size);
  };
  for (int i = 0; i < 12; ++i) {
    AddFile("f" + std::to_string(i) + ".txt", "a\tb" + std::string(998, 'x'));
  }
  host_.given = Operation::kRemoveAllTabs;
  // f4's turn comes once the seven outputs after it are made ahead.
  host_.on_events = [](ScriptedHost& host, int) {
    if (host.jobs == 1 || !host.progress_texts.back().ends_with("f4.txt")) {
      return;
    }
    for (int wait = 0; unnamed() < 7000 && wait < 500; ++wait) usleep(10000);
  };
  std::vector<std::string> reports[2], outputs[2];
  for (const int k : {0, 1}) {
    std::filesystem::remove_all(out_);
    dir_.MakeFolder("out");
    dir_.Write("out/f4.txt", std::string(1000, 'o'));
    host_.reporter = {};
    host_.jobs = k == 0 ? 1 : 4;
    Run();
    reports[k] = host_.reporter.reports();
    for (const std::string& name : dir_.List("out")) {
      outputs[k].push_back(name + ": " + ReadAll(Out(name)));
    }
  }
  EXPECT_EQ(reports[0], std::vector<std::string>{});
  EXPECT_EQ(reports[1], std::vector<std::string>{});
  EXPECT_EQ(outputs[1], outputs[0]);
}

// The output folder is the one its path names when each file is written:
// one moved away (and another made in its place) while a dialog is open
// gets nothing more.
TEST_F(BatchRunTest, AnOutputFolderMovedAwayMeanwhileGetsNoMoreFiles) {
  AddFile("a.txt", "a");
  host_.chooser = kFindReplace;
  host_.replace_answers = {Answer(u"a", u"b", [&](ScriptedHost&) {
    std::filesystem::rename(out_, dir_ / "moved");
    dir_.MakeFolder("out");
  })};
  Run();
  EXPECT_TRUE(host_.reporter.reports().empty());
  EXPECT_EQ(ReadAll(Out("a.txt")), "b");
  EXPECT_TRUE(dir_.List("moved").empty());
}

TEST_F(BatchRunTest, FindAndReplaceFailuresAreReportedPerFile) {
  host_.chooser = kFindReplace;
  AddFile("a.txt", "one two");
  AddFile("b.txt", "one two");
  // A shorter replacement list: reported, the copy stays as it was.
  host_.replace_answers = {Answer(u"one\r\ntwo", u"1"), Answer(u"one", u"1")};
  Run();
  EXPECT_EQ(host_.reporter.lines(), std::vector<int>{196});
  EXPECT_EQ(ReadAll(Out("a.txt")), "one two");
  EXPECT_EQ(ReadAll(Out("b.txt")), "1 two");
  ExpectDone();

  // A reuse setting that is no number: reported for every file, which then
  // asks as if the box were clear.
  host_.settings.SaveSetting("Form3Check1", "abc");
  host_.captions.clear();
  host_.replace_answers = {Answer(u"one", u"1"), Answer(u"two", u"2")};
  const BatchSummary summary = Run();
  EXPECT_EQ(host_.reporter.lines(), (std::vector<int>{196, 176, 176}));
  EXPECT_EQ(host_.captions.size(), 2u);
  EXPECT_EQ(ReadAll(Out("b.txt")), "one 2");
  EXPECT_EQ(summary.failures, 2);
}

TEST_F(BatchRunTest, ChangesWhileTheRunYieldsApplyToTheEntriesThatFollow) {
  AddFile("a.txt", "a\t 1");
  AddFile("b.txt", "b\t 2");
  AddFile("c.txt", "c\t 3");
  const std::string other = dir_.MakeFolder("other");
  host_.chooser = kRemoveAllTabs;
  host_.on_events = [&](ScriptedHost& h, int turn) {
    if (turn == 1) {
      h.files.push_back(h.files[0]);       // added: not processed
      std::swap(h.files[1], h.files[2]);   // reordered: c comes second
    }
    if (turn == 2) h.chooser = "Remove numeric character(s) in text file(s)";
    if (turn == 3) h.output_folder = other;
  };
  const BatchSummary summary = Run();
  EXPECT_EQ(summary.files, 3);
  EXPECT_EQ(host_.progress_texts[1], "Processing: c.txt");
  ASSERT_EQ(host_.progress_values.size(), 4u);  // three entries, then 0
  EXPECT_DOUBLE_EQ(host_.progress_values[0], 100.0 / 3);
  EXPECT_DOUBLE_EQ(host_.progress_values[1], 50.0);
  EXPECT_DOUBLE_EQ(host_.progress_values[2], 75.0);
  EXPECT_EQ(ReadAll(Out("a.txt")), "a 1");
  EXPECT_EQ(ReadAll(Out("c.txt")), "c\t ");
  EXPECT_EQ(ReadAll(other + "/b.txt"), "b\t ");
  EXPECT_FALSE(std::filesystem::exists(Out("b.txt")));
  ExpectDone();
}

TEST_F(BatchRunTest, AnEntryThatVanishesDuringTheRunIsReportedAndSkipped) {
  AddFile("a.txt", "a\t");
  AddFile("b.txt", "b\t");
  host_.chooser = kRemoveAllTabs;
  host_.on_events = [](ScriptedHost& h, int) { h.files.pop_back(); };
  const BatchSummary summary = Run();
  EXPECT_EQ(host_.reporter.lines(), std::vector<int>{116});
  EXPECT_EQ(host_.progress_texts.size(), 2u);  // a, then "Progress Bar"
  EXPECT_EQ(summary.failures, 1);
  ExpectDone();
}

TEST_F(BatchRunTest, StartRemovingDuringARunDoesNothing) {
  AddFile("a.txt", "a\t");
  AddFile("b.txt", "b x");
  host_.chooser = kRemoveX;
  std::vector<BatchSummary> inner;
  host_.on_events = [&](ScriptedHost& h, int) {
    inner.push_back(StartRemoving(h, results_));
  };
  host_.remove_answers = {
      Answer(u"\t", u"",
             [&](ScriptedHost& h) { inner.push_back(StartRemoving(h, results_)); }),
      Answer(u"x")};
  const BatchSummary outer = Run();
  ASSERT_EQ(inner.size(), 3u);
  for (const BatchSummary& s : inner) {
    EXPECT_TRUE(s.already_running);
    EXPECT_FALSE(s.validated);
  }
  EXPECT_FALSE(outer.already_running);
  EXPECT_EQ(host_.messages, std::vector<std::string>{"Done."});
  EXPECT_EQ(host_.captions.size(), 2u);
  EXPECT_EQ(ReadAll(Out("a.txt")), "a");
  EXPECT_EQ(ReadAll(Out("b.txt")), "b ");

  // Once it has ended, the next run starts normally.
  host_.on_events = nullptr;
  host_.remove_answers = {Answer(u"a")};
  EXPECT_TRUE(Run().validated);
}

// A host that asks to stop ends the run between two entries: the entries
// before are done, the later ones untouched, and there is no "Done.".
TEST_F(BatchRunTest, AStopRequestEndsTheRunBetweenTwoEntries) {
  AddFile("a.txt", "a\t");
  AddFile("b.txt", "b\t");
  AddFile("c.txt", "c\t");
  host_.chooser = kRemoveAllTabs;
  const std::vector<std::string> names = {"a.txt", "b.txt", "c.txt"};
  // After how many entries' turns of the event loop the host asks: before
  // the first entry, during the first, during the second, during the last.
  int turns = 0;  // outlives the loop: the host keeps the counting lambda
  for (const int asked_after : {0, 1, 2, 3}) {
    for (const std::string& name : names) std::filesystem::remove(Out(name));
    host_.messages.clear();
    turns = 0;
    host_.on_events = [&](ScriptedHost&, int) { ++turns; };
    host_.stop = [&](const ScriptedHost&) { return turns >= asked_after; };
    const BatchSummary summary = Run();
    EXPECT_TRUE(summary.validated) << asked_after;
    EXPECT_TRUE(summary.stopped) << asked_after;
    EXPECT_EQ(summary.files, asked_after) << asked_after;
    EXPECT_EQ(host_.messages, std::vector<std::string>{}) << asked_after;
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(std::filesystem::exists(Out(names[i])), i < asked_after)
          << asked_after << " " << names[i];
    }
  }
  // Nobody asking: every entry and "Done.".
  host_.stop = nullptr;
  const BatchSummary whole = Run();
  EXPECT_FALSE(whole.stopped);
  EXPECT_EQ(whole.files, 3);
  ExpectDone();
}

// The program ends at once when its window is closed during a run. That
// happens while the run yields, so every file is either done or untouched.
TEST_F(BatchRunTest, EndingTheProgramDuringARunLeavesNoHalfWrittenFile) {
  AddFile("a.txt", "a\tb");
  AddFile("b.txt", "c\td");
  dir_.Write("out/b.txt", "earlier");
  host_.chooser = kRemoveAllTabs;
  host_.on_events = [](ScriptedHost&, int turn) {
    if (turn == 2) _exit(0);
  };
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    Run();
    _exit(1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(ReadAll(Out("a.txt")), "ab");
  EXPECT_EQ(ReadAll(Out("b.txt")), "earlier");
  EXPECT_EQ(dir_.List("out"), (std::vector<std::string>{"a.txt", "b.txt"}));
}

}  // namespace
}  // namespace tarnwick
