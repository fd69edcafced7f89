// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// Peak memory of the text operations on inputs that once made it grow with
// the file, its line lengths, the number of pairs or the replacement's
// length. Each case runs in a process of its own; see bench/README.md.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "bench/sample_corpus.h"
#include "bench/timed_process.h"
#include "engine/text_operations.h"

namespace tarnwick::bench {
namespace {

constexpr std::size_t kMiB = 1u << 20;

struct Case {
  const char* name;
  std::function<void(const std::string& path)> make;
  std::function<void(const std::string& path)> run;
  std::size_t texts_bytes;  // find and replacement texts, as 16-bit text
};

// Appends bytes to the file at path (created when missing).
void Append(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::app) << bytes;
}

void WriteRepeated(const std::string& path, const std::string& unit,
                   std::size_t bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  std::string chunk;
  while (chunk.size() < kMiB) chunk += unit;
  for (std::size_t done = 0; done < bytes; done += chunk.size()) {
    file.write(chunk.data(), static_cast<std::streamsize>(
                                 std::min(chunk.size(), bytes - done)));
  }
  if (!file) throw std::runtime_error("cannot write " + path);
}

std::u16string Join(const std::vector<std::u16string>& lines) {
  std::u16string text;
  for (std::size_t k = 0; k < lines.size(); ++k) {
    if (k > 0) text += u"\r\n";
    text += lines[k];
  }
  return text;
}

std::u16string Ascii16(const std::string& text) {
  return std::u16string(text.begin(), text.end());
}

// 3,000 pairs: "word<k>" becomes "WORD-<k>" in a 7 MB file of such words.
std::u16string ManyFinds() {
  std::vector<std::u16string> lines;
  for (int k = 0; k < 3000; ++k) lines.push_back(Ascii16("word" + std::to_string(k) + ";"));
  return Join(lines);
}
std::u16string ManyReplacements() {
  std::vector<std::u16string> lines;
  for (int k = 0; k < 3000; ++k) lines.push_back(Ascii16("WORD-" + std::to_string(k) + ";"));
  return Join(lines);
}

const std::vector<Case>& Cases() {
  static const std::u16string many_finds = ManyFinds();
  static const std::u16string many_replacements = ManyReplacements();
  static const std::u16string long_replacement(5000, u'r');
  static const std::vector<Case> cases = {
      {"3,000 pairs, 7 MB file",
       [](const std::string& path) {
         std::string text;
         for (unsigned k = 0; text.size() < 7'000'000; ++k) {
           text += "word" + std::to_string(k * 7919 % 3500) + "; " +
                   (k % 9 == 0 ? "\n" : "");
         }
         std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
       },
       [](const std::string& path) {
         ReplaceInFile(path, many_finds, many_replacements);
       },
       2 * (many_finds.size() + many_replacements.size())},
      {"5,000-char replacement, 2 MiB",
       [](const std::string& path) {
         WriteUtf8Corpus(path, 2 * kMiB);
         Append(path, "the one match");
       },
       [](const std::string& path) {
         ReplaceInFile(path, u"one match", long_replacement);
       },
       2 * (9 + long_replacement.size())},
      {"256 MiB CR-only, 5 growing pairs",
       [](const std::string& path) {
         WriteRepeated(path, "abc de fgh ijkl\r", 256 * kMiB);
       },
       [](const std::string& path) {
         ReplaceInFile(path, u"a\r\nb\r\nc\r\nd\r\ne",
                       u"aa\r\nbbb\r\ncc\r\nddd\r\neeee");
       },
       2 * 40},
      {"1 GiB sparse, no LF, RemoveAllSpaces",
       [](const std::string& path) {
         const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
         if (fd < 0 || ftruncate(fd, 1024 * static_cast<off_t>(kMiB)) != 0) {
           throw std::runtime_error("cannot make " + path);
         }
         close(fd);
       },
       [](const std::string& path) { RemoveAllSpaces(path); }, 0},
      {"256 MiB UTF-16, lone surrogate, RemoveAllSpaces",
       [](const std::string& path) {
         WriteUtf16Corpus(path, 256 * kMiB);
         const int fd = open(path.c_str(), O_WRONLY);
         const char lone[2] = {'\x00', '\xD8'};  // U+D800, little-endian
         if (fd < 0 || pwrite(fd, lone, 2, 128 * static_cast<off_t>(kMiB)) != 2) {
           throw std::runtime_error("cannot patch " + path);
         }
         close(fd);
       },
       [](const std::string& path) { RemoveAllSpaces(path); }, 0},
      {"256 MiB UTF-16, lone surrogate, 2 pairs",
       nullptr,  // the file of the case before
       [](const std::string& path) {
         ReplaceInFile(path, u"lorem\r\n\u00E9", u"ipsum dolor\r\ne");
       },
       2 * 30},
  };
  return cases;
}

std::string SelfPath() {
  char buffer[4096];
  const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (length <= 0) throw std::runtime_error("cannot find the benchmark program");
  return std::string(buffer, static_cast<std::size_t>(length));
}

// Child side: runs one case on path and writes its peak memory (VmHWM, KiB).
int RunCase(std::size_t index, const std::string& path, const std::string& report) {
  Cases().at(index).run(path);
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmHWM:", 0) == 0) {
      std::ofstream(report) << std::atol(line.c_str() + 6) << "\n";
    }
  }
  return 0;
}

int Main(int argc, char** argv) {
  if (argc == 5 && std::string(argv[1]) == "--run") {
    return RunCase(std::strtoul(argv[2], nullptr, 10), argv[3], argv[4]);
  }
  std::string folder = "memory-bench-data";
  if (argc == 3 && std::string(argv[1]) == "--folder") folder = argv[2];
  mkdir(folder.c_str(), 0755);
  const std::string input = folder + "/input.txt";
  const std::string copy = folder + "/copy.txt";
  const std::string report = folder + "/peak.txt";
  const std::string self = SelfPath();
  std::printf("%-48s %10s %10s %10s %s\n", "case", "input MiB", "peak MiB",
              "bound MiB", "");
  for (std::size_t k = 0; k < Cases().size(); ++k) {
    const Case& c = Cases()[k];
    if (c.make) c.make(input);
    unlink(copy.c_str());
    RunTimed({{"cp", "--reflink=never", "--sparse=always", input, copy}, "", ""}, "");
    struct stat info {};
    stat(input.c_str(), &info);
    RunTimed({{self, "--run", std::to_string(k), copy, report}, "", ""}, "");
    long peak_kib = 0;
    std::ifstream(report) >> peak_kib;
    const double peak = static_cast<double>(peak_kib) / 1024;
    const double bound = 64 + 8.0 * static_cast<double>(c.texts_bytes) / kMiB;
    std::printf("%-48s %10.1f %10.1f %10.1f %s\n", c.name,
                static_cast<double>(info.st_size) / kMiB, peak, bound,
                peak <= bound ? "within" : "OVER");
    std::fflush(stdout);
  }
  unlink(input.c_str());
  unlink(copy.c_str());
  unlink(report.c_str());
  rmdir(folder.c_str());
  std::printf("\npeak: VmHWM of the process running the operation. bound: 64 MiB "
              "plus 8 times the find and replacement texts (16-bit).\n");
  return 0;
}

}  // namespace
}  // namespace tarnwick::bench

int main(int argc, char** argv) {
  try {
    return tarnwick::bench::Main(argc, argv);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "memory_bench: %s\n", error.what());
    return 1;
  }
}
