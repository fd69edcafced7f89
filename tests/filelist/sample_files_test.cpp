// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "filelist/sample_files.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "files/path_helpers.h"
#include "tests/filelist/scan_host_fake.h"
#include "tests/support/temp_dir.h"

namespace tarnwick {
namespace {

using Names = std::vector<std::string>;
using testing::FakeSampleHost;
using testing::TempDir;

class SampleFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_.Write("Samples/b.txt", "b");
    dir_.Write("Samples/a.txt", "a");
  }
  std::string Entry(const std::string& name) const {
    return dir_.path() + "/Samples/" + name;
  }

  TempDir dir_;
  FakeSampleHost host_;
};

TEST_F(SampleFilesTest, AppendsInListingOrderAndAsksEveryTime) {
  LoadSampleFiles(dir_.path(), host_);
  EXPECT_EQ(host_.list.entries, (Names{Entry("a.txt"), Entry("b.txt")}));
  LoadSampleFiles(dir_.path(), host_);
  EXPECT_EQ(host_.list.entries, (Names{Entry("a.txt"), Entry("b.txt")}));
  EXPECT_EQ(host_.questions, (Names{kOpenSamplesQuestion, kOpenSamplesQuestion}));
  EXPECT_TRUE(host_.opened.empty());  // answered No
  EXPECT_TRUE(host_.reporter.reports().empty());
}

TEST_F(SampleFilesTest, AppendsARemovedSampleAgainAtTheEnd) {
  host_.list.Append("/other/file.txt");
  LoadSampleFiles(dir_.path(), host_);
  host_.list.entries.erase(host_.list.entries.begin() + 1);  // a.txt
  LoadSampleFiles(dir_.path(), host_);
  EXPECT_EQ(host_.list.entries,
            (Names{"/other/file.txt", Entry("b.txt"), Entry("a.txt")}));
}

TEST_F(SampleFilesTest, DifferentlyWrittenEntriesAreNotEqual) {
  const std::string upper = dir_.path() + "/samples/a.txt";
  const std::string doubled = dir_.path() + "/Samples//b.txt";
  host_.list.Append(upper);
  host_.list.Append(doubled);
  LoadSampleFiles(dir_.path(), host_);
  EXPECT_EQ(host_.list.entries, (Names{upper, doubled, Entry("a.txt"), Entry("b.txt")}));
}

TEST_F(SampleFilesTest, TakesHiddenAndTildeFilesButNoSubfolders) {
  dir_.Write("Samples/.hidden", "");
  dir_.Write("Samples/~tilde.txt", "");
  dir_.Write("Samples/Sub/deep.txt", "");
  LoadSampleFiles(dir_.path(), host_);
  EXPECT_EQ(host_.list.entries, (Names{Entry(".hidden"), Entry("a.txt"),
                                       Entry("b.txt"), Entry("~tilde.txt")}));
}

TEST_F(SampleFilesTest, YesOpensTheSampleFolder) {
  host_.answer_yes = true;
  LoadSampleFiles(dir_.path(), host_);
  EXPECT_EQ(host_.opened, (Names{dir_.path() + "/Samples/"}));
}

TEST(SampleFilesMissingTest, NoSampleFolderStillAsks) {
  TempDir dir;
  FakeSampleHost host;
  LoadSampleFiles(dir.path(), host);
  EXPECT_EQ(host.list.Count(), 0);
  EXPECT_EQ(host.questions.size(), 1u);
  EXPECT_TRUE(host.reporter.reports().empty());
}

TEST(SampleFilesShippedTest, TheBuiltProgramHasItsSamples) {
  const char* binary_dir = std::getenv("TARNWICK_TEST_BINARY_DIR");
  if (binary_dir == nullptr ||
      !IsFolder(std::string(binary_dir) + "/app/Samples")) {
    GTEST_SKIP() << "no Samples folder beside the built program";
  }
  FakeSampleHost host;
  LoadSampleFiles(std::string(binary_dir) + "/app", host);
  EXPECT_GE(host.list.Count(), 6);
  EXPECT_LE(host.list.Count(), 8);
}

}  // namespace
}  // namespace tarnwick
