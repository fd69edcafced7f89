// Times the text operations on a large file against `cp` and the classic
// command-line tool doing the same transformation, and checks that both give
// the same bytes. See bench/README.md.
#include <unistd.h>

#include <algorithm>
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
#include "engine/edit_tally.h"
#include "engine/text_operations.h"

namespace tarnwick::bench {
namespace {

struct Operation {
  const char* name;
  std::function<void(const std::string&)> run;
  std::vector<std::string> classic;  // reads stdin, writes stdout
};

const std::vector<Operation>& Operations() {
  static const std::vector<Operation> operations = {
      {"RemoveAllSpaces", RemoveAllSpaces, {"tr", "-d", " "}},
      {"RemoveExtraSpaces", RemoveExtraSpaces, {"tr", "-s", " "}},
      {"RemoveBlankLines", RemoveBlankLines,
       {"perl", "-0777", "-pe", "s/(\\r?\\n)(?:\\r?\\n)+/$1/g"}},
      {"RemoveAllTabs", RemoveAllTabs, {"tr", "-d", "\\t"}},
      {"RemoveAlphabet", RemoveAlphabet, {"tr", "-d", "A-Za-z"}},
      {"RemoveNumeric", RemoveNumeric, {"tr", "-d", "0-9"}},
      {"RemoveAlphanumeric", RemoveAlphanumeric, {"tr", "-d", "A-Za-z0-9"}},
      {"RemoveNonAlphanumeric", RemoveNonAlphanumeric,
       {"tr", "-cd", "A-Za-z0-9 \\r\\n\\t"}},
      {"ReplaceInFile (2 pairs)",
       [](const std::string& path) {
         ReplaceInFile(path, u"lorem\r\n\u00E9", u"ipsum dolor\r\ne");
       },
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

// Child side: runs one operation and reports its peak memory (VmHWM, KiB).
int RunOperation(const std::string& name, const std::string& path,
                 const std::string& report) {
  for (const Operation& op : Operations()) {
    if (name != op.name) continue;
    // TARNWICK_BENCH_TALLY=1: the operation counts its changes, as in a
    // run that reports.
    const char* tally_flag = std::getenv("TARNWICK_BENCH_TALLY");
    if (tally_flag != nullptr && std::string(tally_flag) == "1") {
      EditTally tally;
      TallyScope scope(tally);
      op.run(path);
    } else {
      op.run(path);
    }
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
      if (line.rfind("VmHWM:", 0) == 0) {
        std::ofstream(report) << std::atol(line.c_str() + 6) << "\n";
      }
    }
    return 0;
  }
  std::fprintf(stderr, "unknown operation %s\n", name.c_str());
  return 2;
}

struct Settings {
  std::string folder;
  int repetitions = 3;
  std::size_t utf8_mib = 256;
  std::size_t utf16_mib = 64;
};

void Remove(const std::string& path) { unlink(path.c_str()); }

void MeasureCorpus(const Settings& settings, const std::string& label,
                   const std::string& input, bool utf16) {
  const std::string self = SelfPath();
  const std::string copy = settings.folder + "/ours.txt";
  const std::string theirs = settings.folder + "/classic.txt";
  const std::string report = settings.folder + "/peak.txt";
  const double size = static_cast<double>(FileSize(input));

  std::vector<double> cp_times;
  for (int r = 0; r < settings.repetitions; ++r) {
    Remove(copy);
    FlushEverything();
    cp_times.push_back(
        RunTimed({{"cp", "--reflink=never", input, copy}, "", ""}, copy));
  }
  const double cp = Median(cp_times);
  std::printf("\n%s: %.0f MiB, cp --reflink=never + fsync: %.3f s (median of %d)\n",
              label.c_str(), size / (1 << 20), cp, settings.repetitions);
  std::printf("%-24s %9s %7s %9s %9s %6s %-8s  %s\n", "operation", "ours (s)",
              "x cp", "tool (s)", "x tool", "mem", "output", "classic tool");

  for (const Operation& op : Operations()) {
    std::vector<double> ours;
    std::vector<double> tool;
    long peak_kib = 0;
    std::string classic;
    for (const std::string& word : op.classic) {
      if (!classic.empty()) classic += ' ';
      classic += Quote(word);
    }
    if (utf16) classic.insert(0, "iconv -f UTF-16LE -t UTF-8 | ");
    for (int r = 0; r < settings.repetitions; ++r) {
      Remove(copy);
      RunTimed({{"cp", "--reflink=never", input, copy}, "", ""}, "");
      FlushEverything();
      // The operation flushes its own output (the safe write does).
      ours.push_back(RunTimed({{self, "--run", op.name, copy, report}, "", ""}, ""));
      std::ifstream(report) >> peak_kib;

      Remove(theirs);
      FlushEverything();
      tool.push_back(RunTimed({{"sh", "-c", classic}, input, theirs}, theirs));
    }
    const double mine = Median(ours);
    const double other = Median(tool);
    std::printf("%-24s %9.3f %7.2f %9.3f %9.2f %5.2fx %-8s  %s\n", op.name, mine,
                mine / cp, other, mine / other,
                static_cast<double>(peak_kib) * 1024 / size,
                SameBytes(copy, theirs) ? "match" : "MISMATCH", classic.c_str());
    std::fflush(stdout);
  }
  Remove(copy);
  Remove(theirs);
  Remove(report);
}

int Main(int argc, char** argv) {
  if (argc == 5 && std::string(argv[1]) == "--run") {
    return RunOperation(argv[2], argv[3], argv[4]);
  }
  Settings settings;
  settings.folder = "bench-data";
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string flag = argv[i];
    if (flag == "--folder") settings.folder = argv[i + 1];
    else if (flag == "--repetitions") settings.repetitions = std::atoi(argv[i + 1]);
    else if (flag == "--mib") settings.utf8_mib = std::strtoul(argv[i + 1], nullptr, 10);
    else if (flag == "--utf16-mib") settings.utf16_mib = std::strtoul(argv[i + 1], nullptr, 10);
    else throw std::runtime_error("unknown option " + flag);
  }
  if (settings.repetitions < 1) settings.repetitions = 1;
  mkdir(settings.folder.c_str(), 0755);

  const std::string utf8 = settings.folder + "/input-utf8.txt";
  WriteUtf8Corpus(utf8, settings.utf8_mib << 20);
  MeasureCorpus(settings, "8-bit (UTF-8) text", utf8, false);
  Remove(utf8);

  const std::string utf16 = settings.folder + "/input-utf16le.txt";
  WriteUtf16Corpus(utf16, settings.utf16_mib << 20);
  MeasureCorpus(settings, "16-bit (UTF-16LE) text", utf16, true);
  Remove(utf16);
  rmdir(settings.folder.c_str());
  std::printf(
      "\nours: the operation on a fresh copy, in its own process, safe write "
      "with fsync included.\nx cp, x tool: our time divided by theirs. mem: "
      "our peak resident memory (VmHWM) / input size.\noutput: our file "
      "compared byte for byte with the classic tool's.\n");
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
