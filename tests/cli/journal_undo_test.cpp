// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// The journal through tarnwick-batch as a user meets it: a run killed or
// interrupted mid-way is undone as far as it got; runs are undone in the
// order they started whatever the time zone; a damaged record is refused
// and nothing touched; two programs at once share the journal; without
// HOME there is no journal and nothing is written to "/".
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <future>
#include <string>
#include <vector>

#include "tests/cli/program_run.h"
#include "tests/support/temp_dir.h"

namespace tarnwick::testing {
namespace {

namespace fs = std::filesystem;
using Args = std::vector<std::string>;

struct Sandbox {
  TempDir dir;
  RunSettingsForChild settings;
  Sandbox() {
    settings.environment = {"XDG_STATE_HOME=" + dir.MakeFolder("state")};
  }
  ProgramResult Run(const Args& args) { return RunProgram(args, settings); }
  std::string Records(const std::string& id) const {
    return dir / "state/tarnwick/runs/" + id + "/records";
  }
};

std::string Original(int k) { return "line\twith tab " + std::to_string(k) + "\n"; }

TEST(JournalUndoTest, ARunKilledOrInterruptedMidWayIsUndoneAsFarAsItGot) {
  for (const int signal_number : {SIGKILL, SIGINT}) {
    Sandbox box;
    Args args = {"--operation", "remove-all-tabs", "--output", box.dir / "f"};
    std::vector<std::string> files;
    for (int k = 0; k < 3000; ++k) {
      files.push_back(box.dir.Write("f/" + std::to_string(k) + ".txt", Original(k)));
      args.push_back(files.back());
    }
    RunSettingsForChild killed = box.settings;
    // Once the first files are replaced (a group of them at once).
    killed.interrupt_when = [&] { return ReadAll(files[0]) != Original(0); };
    killed.interrupt_signal = signal_number;
    const ProgramResult run = RunProgram(args, killed);
    int done = 0;
    for (int k = 0; k < 3000; ++k) done += ReadAll(files[k]) != Original(k);
    EXPECT_GT(done, 0) << "signal " << signal_number << ": " << run.err;

    const ProgramResult list = box.Run({"--list-runs"});
    EXPECT_NE(list.out.find("1\t"), std::string::npos) << list.out;
    const ProgramResult undo = box.Run({"--undo"});
    EXPECT_EQ(undo.status, 0) << undo.err;
    int restored = 0;
    for (int k = 0; k < 3000; ++k) {
      EXPECT_EQ(ReadAll(files[k]), Original(k)) << files[k];
      restored += undo.out.find("restored\t" + files[k] + "\n") != std::string::npos;
    }
    EXPECT_GE(restored, done) << "signal " << signal_number;
  }
}

TEST(JournalUndoTest, UndoTakesTheRunStartedLastWhateverTheTimeZone) {
  Sandbox box;
  const std::string tokyo = box.dir.Write("f/tokyo.txt", "a\tb");
  const std::string utc = box.dir.Write("f/utc.txt", "c\td");
  for (const auto& [zone, file] :
       {std::pair{"TZ=Asia/Tokyo", tokyo}, std::pair{"TZ=UTC", utc}}) {
    RunSettingsForChild zoned = box.settings;
    zoned.environment.push_back(zone);
    ASSERT_EQ(RunProgram({"--operation", "remove-all-tabs", "--output",
                          box.dir / "f", file},
                         zoned)
                  .status,
              0);
  }
  const ProgramResult undo = box.Run({"--undo"});
  EXPECT_EQ(undo.out, "restored\t" + utc + "\n");
  EXPECT_EQ(ReadAll(utc), "c\td");
  EXPECT_EQ(ReadAll(tokyo), "ab");
}

TEST(JournalUndoTest, ADamagedRecordMakesUndoRefuseAndTouchNothing) {
  struct Case {
    const char* name;
    std::string (*damage)(const std::string& records, const std::string& file);
    const char* why;
  };
  const Case cases[] = {
      {"kept name ../x",
       [](const std::string& records, const std::string&) {
         std::string damaged = records;
         const std::size_t at = damaged.find("\t1\t");
         damaged.replace(at, 3, "\t../x\t");
         return damaged;
       },
       "line 2: its length is wrong"},
      {"cut after the first line",
       [](const std::string& records, const std::string&) {
         const std::size_t first = records.find('\n') + 1;
         return records.substr(0, first) + records.substr(first + 20);
       },
       "line 2: "},
  };
  for (const Case& c : cases) {
    Sandbox box;
    const std::string file = box.dir.Write("f/a.txt", "a\ta");
    const std::string other = box.dir.Write("f/x", "unrelated");
    ASSERT_EQ(box.Run({"--operation", "remove-all-tabs", "--output",
                       box.dir / "f", file}).status, 0);
    WriteAll(box.Records("1"), c.damage(ReadAll(box.Records("1")), file));
    const ProgramResult undo = box.Run({"--undo"});
    EXPECT_EQ(undo.status, 2) << c.name;
    EXPECT_EQ(undo.out, "") << c.name;
    EXPECT_NE(undo.err.find("run 1 cannot be undone: its record file is "
                            "damaged (" + std::string(c.why)),
              std::string::npos) << c.name << ": " << undo.err;
    EXPECT_EQ(ReadAll(file), "aa") << c.name;
    EXPECT_EQ(ReadAll(other), "unrelated") << c.name;
    EXPECT_EQ(box.dir.List("state/tarnwick/runs/1"),
              (std::vector<std::string>{"1", "kept-bytes", "kept-named", "records"}));
  }
}

TEST(JournalUndoTest, KeptFilesNoRecordNamesAreNeverDropped) {
  // Each case leaves the newest run's folder holding the kept original "1"
  // with no record naming it: the run is listed as damaged, and undo,
  // whether of the newest run or of that run by name, refuses it whole.
  struct Case {
    const char* name;
    const char* id;
    void (*damage)(Sandbox& box);
  };
  const Case cases[] = {
      {"records cut after the run line", "2",
       [](Sandbox& box) {
         const std::string records = ReadAll(box.Records("2"));
         WriteAll(box.Records("2"), records.substr(0, records.find('\n') + 1));
       }},
      {"records cut inside the replace line", "2",
       [](Sandbox& box) {
         const std::string records = ReadAll(box.Records("2"));
         WriteAll(box.Records("2"), records.substr(0, records.find('\n') + 20));
       }},
      {"earlier version's manifest holding only its first line",
       "20991208-100000-000",
       [](Sandbox& box) {
         box.dir.Write("state/tarnwick/runs/20991208-100000-000/1", "precious");
         box.dir.Write("state/tarnwick/runs/20991208-100000-000/run.tsv",
                       "tarnwick-journal 1\n");
         fs::remove_all(box.dir / "state/tarnwick/runs/2");
         fs::remove_all(box.dir / "state/tarnwick/runs/1");
       }},
  };
  for (const Case& c : cases) {
    Sandbox box;
    const std::string first = box.dir.Write("f/a.txt", "a\tb");
    const std::string second = box.dir.Write("f/c.txt", "c\td");
    for (const std::string& file : {first, second}) {
      ASSERT_EQ(box.Run({"--operation", "remove-all-tabs", "--output",
                         box.dir / "f", file}).status, 0);
    }
    c.damage(box);
    const std::string run_folder = "state/tarnwick/runs/" + std::string(c.id);
    const std::vector<std::string> kept_before = box.dir.List(run_folder);
    const ProgramResult list = box.Run({"--list-runs"});
    EXPECT_NE(list.out.find(std::string(c.id) + "\t"), std::string::npos)
        << c.name << ": " << list.out;
    EXPECT_NE(list.out.find("damaged: "), std::string::npos)
        << c.name << ": " << list.out;
    for (const Args& undo_args : {Args{"--undo"}, Args{"--undo", c.id}}) {
      const ProgramResult undo = box.Run(undo_args);
      EXPECT_EQ(undo.status, 2) << c.name << " " << undo_args.size();
      EXPECT_EQ(undo.out, "") << c.name;
      EXPECT_NE(undo.err.find("run " + std::string(c.id) + " cannot be undone"),
                std::string::npos) << c.name << ": " << undo.err;
      EXPECT_NE(undo.err.find("no record names"), std::string::npos)
          << c.name << ": " << undo.err;
      EXPECT_EQ(box.dir.List(run_folder), kept_before) << c.name;
      if (std::string(c.id) == "2") {
        EXPECT_EQ(ReadAll(first), "ab") << c.name;
        EXPECT_EQ(ReadAll(second), "cd") << c.name;
      }
    }
  }
}

TEST(JournalUndoTest, TwoProgramsAtOnceShareTheJournal) {
  Sandbox box;
  std::vector<std::string> first, second;
  for (int k = 0; k < 300; ++k) {
    first.push_back(box.dir.Write("f/a" + std::to_string(k), Original(k)));
    second.push_back(box.dir.Write("f/b" + std::to_string(k), Original(k)));
  }
  const auto run = [&](const std::vector<std::string>& files) {
    Args args = {"--operation", "remove-all-tabs", "--output", box.dir / "f"};
    args.insert(args.end(), files.begin(), files.end());
    return box.Run(args).status;
  };
  auto one = std::async(std::launch::async, run, first);
  auto two = std::async(std::launch::async, run, second);
  ASSERT_EQ(one.get(), 0);
  ASSERT_EQ(two.get(), 0);
  const ProgramResult list = box.Run({"--list-runs"});
  EXPECT_NE(list.out.find("2\t"), std::string::npos) << list.out;
  EXPECT_NE(list.out.find("1\t"), std::string::npos) << list.out;
  // Newest first: each undo puts back exactly its own run's files.
  const ProgramResult newest = box.Run({"--undo"});
  const bool second_is_newest = newest.out.find(second[0]) != std::string::npos;
  const auto& later = second_is_newest ? second : first;
  const auto& earlier = second_is_newest ? first : second;
  for (int k = 0; k < 300; ++k) {
    EXPECT_EQ(ReadAll(later[k]), Original(k));
    EXPECT_NE(ReadAll(earlier[k]), Original(k));
  }
  EXPECT_EQ(box.Run({"--undo"}).status, 0);
  for (int k = 0; k < 300; ++k) EXPECT_EQ(ReadAll(earlier[k]), Original(k));
}

TEST(JournalUndoTest, WithoutHomeTheRunGoesWithoutAJournal) {
  Sandbox box;
  const std::string file = box.dir.Write("f/a.txt", "a\ta");
  RunSettingsForChild homeless = box.settings;
  homeless.environment = {"HOME", "XDG_STATE_HOME"};  // unset both
  homeless.folder = box.dir.path();
  // Undo required: no journal keeps anything, so nothing is replaced.
  const ProgramResult refused = RunProgram(
      {"--operation", "remove-all-tabs", "--output", box.dir / "f",
       "--require-undo", file},
      homeless);
  EXPECT_EQ(refused.status, 1) << refused.err;
  EXPECT_NE(refused.err.find("Cannot write " + file +
                             ": its old content cannot be kept for undo: "
                             "there is no journal folder"),
            std::string::npos)
      << refused.err;
  EXPECT_EQ(ReadAll(file), "a\ta");
  const ProgramResult run = RunProgram(
      {"--operation", "remove-all-tabs", "--output", box.dir / "f", file},
      homeless);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(ReadAll(file), "aa");
  EXPECT_FALSE(fs::exists("/.local/state/tarnwick"));
  EXPECT_EQ(box.dir.List(), (std::vector<std::string>{"f", "state"}));
}

TEST(JournalUndoTest, RequiredUndoRefusesWhatCannotBeKept) {
  Sandbox box;
  box.settings.environment.push_back("TARNWICK_JOURNAL_MAX_BYTES=0");
  // Only a journal on another file system needs room: a hard link is
  // free. The journal goes to /dev/shm when that is another file system.
  char pattern[] = "/dev/shm/tarnwick-journal-XXXXXX";
  struct stat shm {}, tmp {};
  if (stat("/dev/shm", &shm) != 0 || mkdtemp(pattern) == nullptr) {
    GTEST_SKIP() << "no /dev/shm to put the journal on another file system";
  }
  stat(box.dir.path().c_str(), &tmp);
  box.settings.environment[0] = std::string("XDG_STATE_HOME=") + pattern;
  if (shm.st_dev == tmp.st_dev) {
    fs::remove_all(pattern);
    GTEST_SKIP() << "/dev/shm is on the test folder's file system";
  }
  const std::string file = box.dir.Write("f/a.txt", "a\ta");
  const std::string same = box.dir.Write("f/same.txt", "no tab");
  const Args args = {"--operation", "remove-all-tabs", "--output",
                     box.dir / "f", file, same};
  Args required = args;
  required.push_back("--require-undo");
  const ProgramResult refused = box.Run(required);
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.err.find("its old content cannot be kept for undo: a copy "
                             "of 3 bytes would pass the journal's cap of 0 bytes"),
            std::string::npos) << refused.err;
  EXPECT_EQ(ReadAll(file), "a\ta");
  // Without it the run goes on and says what cannot be undone; the file
  // left unchanged is never named.
  const ProgramResult run = box.Run(args);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "tarnwick-batch: note: " + file +
                         ": its old content was not kept: a copy of 3 bytes "
                         "would pass the journal's cap of 0 bytes\n"
                         "tarnwick-batch: note: 1 file(s) of this run cannot "
                         "be undone: the journal could not keep what undo "
                         "needs for them\n");
  EXPECT_NE(box.Run({"--list-runs"}).out.find("\t1 file(s) cannot be undone"),
            std::string::npos);
  fs::remove_all(pattern);
}

}  // namespace
}  // namespace tarnwick::testing
