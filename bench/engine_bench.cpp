// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// Times the text operations on a large file against `cp` and the classic
// command-line tool doing the same transformation, and checks that both give
// the same bytes. See bench/README.md.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "bench/sample_corpus.h"
#include "bench/timed_process.h"
#include "engine/edit_tally.h"
#include "engine/text_operations.h"
#include "engine/vector_loops.h"

namespace tarnwick::bench {
namespace {

struct Operation {
  const char* name;
  tarnwick::Operation id;
  std::vector<std::string> classic;  // reads stdin, writes stdout
};

// The texts of the find-and-replace row.
constexpr std::u16string_view kFind = u"lorem\r\n\u00E9";
constexpr std::u16string_view kReplace = u"ipsum dolor\r\ne";

const std::vector<Operation>& Operations() {
  using Id = tarnwick::Operation;
  static const std::vector<Operation> operations = {
      {"RemoveAllSpaces", Id::kRemoveAllSpaces, {"tr", "-d", " "}},
      {"RemoveExtraSpaces", Id::kRemoveExtraSpaces, {"tr", "-s", " "}},
      {"RemoveBlankLines", Id::kRemoveBlankLines,
       {"perl", "-0777", "-pe", "s/(\\r?\\n)(?:\\r?\\n)+/$1/g"}},
      {"RemoveAllTabs", Id::kRemoveAllTabs, {"tr", "-d", "\\t"}},
      {"RemoveAlphabet", Id::kRemoveAlphabet, {"tr", "-d", "A-Za-z"}},
      {"RemoveNumeric", Id::kRemoveNumeric, {"tr", "-d", "0-9"}},
      {"RemoveAlphanumeric", Id::kRemoveAlphanumeric, {"tr", "-d", "A-Za-z0-9"}},
      {"RemoveNonAlphanumeric", Id::kRemoveNonAlphanumeric,
       {"tr", "-cd", "A-Za-z0-9 \\r\\n\\t"}},
      {"ReplaceInFile (2 pairs)", Id::kFindAndReplace,
       {"sed", "-e", "s/lorem/ipsum dolor/g", "-e", "s/\xC3\xA9/e/g"}},
  };
  return operations;
}

std::string Quote(const std::string& word) {
  std::string quoted = "'";
  for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

std::string SelfPath() {
  char buffer[4096];
  const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (length <= 0) throw std::runtime_error("cannot find the benchmark program");
  return std::string(buffer, static_cast<std::size_t>(length));
}

std::size_t FileSize(const std::string& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) throw std::runtime_error("no file " + path);
  return static_cast<std::size_t>(info.st_size);
}

// Child side: runs one operation, from path into output when given (as a
// run into an output folder does), else on path in place, and reports its
// peak memory (VmHWM, KiB) and the instruction set its vector loops used.
int RunOperation(const std::string& name, const std::string& path,
                 const std::string& report, const std::string& output) {
  for (const Operation& op : Operations()) {
    if (name != op.name) continue;
    // TARNWICK_BENCH_TALLY=1: the operation counts its changes, as in a
    // run that reports.
    const char* tally_flag = std::getenv("TARNWICK_BENCH_TALLY");
    EditTally tally;
    const bool counting = tally_flag != nullptr && std::string(tally_flag) == "1";
    EditFile(op.id, {kFind, kReplace},
             {path, output.empty() ? std::nullopt : std::optional(output)},
             {counting ? &tally : nullptr, /*dry_run=*/false, nullptr, nullptr});
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
      if (line.rfind("VmHWM:", 0) == 0) {
        std::ofstream(report) << std::atol(line.c_str() + 6) << " "
                              << VectorLoopsInUse() << "\n";
      }
    }
    return 0;
  }
  std::fprintf(stderr, "unknown operation %s\n", name.c_str());
  return 2;
}

struct Settings {
  std::string folder;                // on a disk: the file in the page cache
  std::string memory_folder;         // on a memory file system
  int repetitions = 3;
  std::size_t utf8_mib = 256;
  std::size_t utf16_mib = 64;
  std::vector<std::string> targets;  // instruction sets to measure ours on
  bool in_place = true;              // also time the edit of a copy in place
};

void Remove(const std::string& path) { unlink(path.c_str()); }

// Sets (or with an empty value removes) an environment variable for the
// programs started until it is set again.
void SetForChildren(const char* name, const std::string& value) {
  if (value.empty()) {
    unsetenv(name);
  } else {
    setenv(name, value.c_str(), 1);
  }
}

std::string ClassicCommand(const Operation& op, bool utf16) {
  std::string classic;
  for (const std::string& word : op.classic) {
    if (!classic.empty()) classic += ' ';
    classic += Quote(word);
  }
  if (utf16) classic.insert(0, "iconv -f UTF-16LE -t UTF-8 | ");
  return classic;
}

// Times cp, each operation on each instruction set, and the classic tool,
// on a copy of `original` in folder. Our output is compared with the
// classic tool's once per operation and instruction set.
void MeasureIn(const Settings& settings, const std::string& folder,
               const std::string& where, const std::string& original,
               bool utf16) {
  const std::string self = SelfPath();
  const std::string input = folder + "/input.txt";
  const std::string output = folder + "/ours.txt";
  const std::string copy = folder + "/ours-in-place.txt";
  const std::string theirs = folder + "/classic.txt";
  const std::string report = folder + "/peak.txt";
  RunTimed({{"cp", "--reflink=never", original, input}, "", ""}, input);
  const double size = static_cast<double>(FileSize(input));

  std::vector<double> cp_times;
  for (int r = 0; r < settings.repetitions; ++r) {
    Remove(output);
    FlushEverything();
    cp_times.push_back(
        RunTimed({{"cp", "--reflink=never", input, output}, "", ""}, output));
  }
  const double cp = Median(cp_times);
  std::printf("\n%s, %.0f MiB, %s: cp --reflink=never + fsync %.3f s "
              "(%.2f GB/s), median of %d\n",
              utf16 ? "UTF-16LE" : "UTF-8", size / (1 << 20), where.c_str(), cp,
              size / cp / 1e9, settings.repetitions);
  std::printf("%-24s %-8s %8s %6s %6s %5s %5s %9s %6s %8s %6s %5s %-8s\n",
              "operation", "target", "ours (s)", "x cp", "GB/s", "user", "sys",
              "in place", "x cp", "tool (s)", "x tool", "mem", "output");

  for (const Operation& op : Operations()) {
    const std::string classic = ClassicCommand(op, utf16);
    std::vector<double> tool;
    for (int r = 0; r < settings.repetitions; ++r) {
      Remove(theirs);
      FlushEverything();
      tool.push_back(RunTimed({{"sh", "-c", classic}, input, theirs}, theirs));
    }
    const double other = Median(tool);
    for (const std::string& target : settings.targets) {
      SetForChildren("TARNWICK_VECTOR_TARGET", target);
      std::vector<double> ours, user, system, in_place;
      long peak_kib = 0;
      std::string used;
      for (int r = 0; r < settings.repetitions; ++r) {
        // From the input into a new file, flushed as cp's copy is (a new
        // file outside a run is not flushed by the write itself).
        Remove(output);
        FlushEverything();
        ProcessorTime times;
        ours.push_back(RunTimed({{self, "--run", op.name, input, report, output}, "", ""},
                                output, &times));
        user.push_back(times.user);
        system.push_back(times.system);
        std::ifstream(report) >> peak_kib >> used;
        if (!settings.in_place) continue;
        // A fresh copy edited in place: the safe write flushes its result
        // before it renames it over the copy, whose pages are then freed.
        Remove(copy);
        RunTimed({{"cp", "--reflink=never", input, copy}, "", ""}, "");
        FlushEverything();
        in_place.push_back(RunTimed({{self, "--run", op.name, copy, report}, "", ""}, ""));
      }
      SetForChildren("TARNWICK_VECTOR_TARGET", "");
      const double mine = Median(ours);
      const double edited = settings.in_place ? Median(in_place) : 0;
      std::printf("%-24s %-8s %8.3f %6.2f %6.2f %5.3f %5.3f %9.3f %6.2f %8.3f %6.2f %4.2fx %-8s\n",
                  op.name, used.c_str(), mine, mine / cp, size / mine / 1e9,
                  Median(user), Median(system), edited, edited / cp, other,
                  mine / other, static_cast<double>(peak_kib) * 1024 / size,
                  SameBytes(output, theirs) &&
                          (!settings.in_place || SameBytes(copy, theirs))
                      ? "match"
                      : "MISMATCH");
      std::fflush(stdout);
    }
  }
  Remove(input);
  Remove(output);
  Remove(copy);
  Remove(theirs);
  Remove(report);
}

void MeasureCorpus(const Settings& settings, const std::string& input,
                   bool utf16) {
  MeasureIn(settings, settings.folder, "file in the page cache", input, utf16);
  if (!settings.memory_folder.empty()) {
    MeasureIn(settings, settings.memory_folder, "memory file system", input,
              utf16);
  }
}

// "all": every instruction set the processor runs; otherwise a list
// separated by commas, where "best" is the processor's best one.
std::vector<std::string> ChosenTargets(const std::string& list) {
  const std::vector<std::string> supported = SupportedVectorTargets();
  if (list == "all") return supported;
  std::vector<std::string> chosen;
  std::size_t start = 0;
  while (start <= list.size()) {
    const std::size_t comma = std::min(list.find(',', start), list.size());
    const std::string name = list.substr(start, comma - start);
    if (name == "best") {
      chosen.push_back(supported.front());
    } else if (std::find(supported.begin(), supported.end(), name) != supported.end()) {
      chosen.push_back(name);
    } else {
      throw std::runtime_error("this processor does not run the vector loops on " + name);
    }
    start = comma + 1;
  }
  return chosen;
}

int Main(int argc, char** argv) {
  if ((argc == 5 || argc == 6) && std::string(argv[1]) == "--run") {
    return RunOperation(argv[2], argv[3], argv[4], argc == 6 ? argv[5] : "");
  }
  // For profiling one operation by hand: writes the corpus only.
  if (argc == 5 && std::string(argv[1]) == "--write-corpus") {
    const std::size_t bytes = std::strtoul(argv[4], nullptr, 10) << 20;
    if (std::string(argv[2]) == "utf16") {
      WriteUtf16Corpus(argv[3], bytes);
    } else {
      WriteUtf8Corpus(argv[3], bytes);
    }
    return 0;
  }
  Settings settings;
  settings.folder = "bench-data";
  std::string targets = "all";
  std::string memory_parent = "/dev/shm";
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string flag = argv[i];
    if (flag == "--folder") settings.folder = argv[i + 1];
    else if (flag == "--memory-folder") memory_parent = argv[i + 1];
    else if (flag == "--repetitions") settings.repetitions = std::atoi(argv[i + 1]);
    else if (flag == "--mib") settings.utf8_mib = std::strtoul(argv[i + 1], nullptr, 10);
    else if (flag == "--utf16-mib") settings.utf16_mib = std::strtoul(argv[i + 1], nullptr, 10);
    else if (flag == "--targets") targets = argv[i + 1];
    else if (flag == "--in-place") settings.in_place = std::string(argv[i + 1]) != "off";
    else throw std::runtime_error("unknown option " + flag);
  }
  if (settings.repetitions < 1) settings.repetitions = 1;
  settings.targets = ChosenTargets(targets);
  mkdir(settings.folder.c_str(), 0755);
  if (!memory_parent.empty() && memory_parent != "none") {
    std::string pattern = memory_parent + "/tarnwick-bench-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
      throw std::runtime_error("cannot make a folder in " + memory_parent);
    }
    settings.memory_folder = pattern;
  }
  std::printf("vector loops: %s by default on this processor; measured on:",
              VectorLoopsInUse().c_str());
  for (const std::string& target : settings.targets) std::printf(" %s", target.c_str());
  std::printf("\n");

  const std::string utf8 = settings.folder + "/input-utf8.txt";
  WriteUtf8Corpus(utf8, settings.utf8_mib << 20);
  MeasureCorpus(settings, utf8, false);
  Remove(utf8);

  const std::string utf16 = settings.folder + "/input-utf16le.txt";
  WriteUtf16Corpus(utf16, settings.utf16_mib << 20);
  MeasureCorpus(settings, utf16, true);
  Remove(utf16);
  rmdir(settings.folder.c_str());
  if (!settings.memory_folder.empty()) rmdir(settings.memory_folder.c_str());
  std::printf(
      "\nours: the operation from the input into a new file, in its own "
      "process, the new file\nflushed (fsync) before the clock stops, as cp's "
      "copy is (a memory file system has\nnothing to flush); user, sys: its "
      "processor time (s). in place: the operation on a\nfresh copy, rewriting "
      "it by the safe write (fsync, rename, the old pages freed).\ntarget: the "
      "instruction set our vector loops ran on. x cp, x tool: our time divided "
      "by\ntheirs. GB/s: input bytes / our time. mem: our peak resident memory "
      "(VmHWM) /\ninput size. output: our files compared byte for byte with the "
      "classic tool's.\n");
  return 0;
}

}  // namespace
}  // namespace tarnwick::bench

int main(int argc, char** argv) {
  try {
    return tarnwick::bench::Main(argc, argv);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "engine_bench: %s\n", error.what());
    return 1;
  }
}
