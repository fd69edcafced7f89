// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "journal/legacy_runs.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "journal/journal_record.h"
#include "journal/journal_store.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;

constexpr char kManifest[] = "run.tsv";
constexpr char kMagic[] = "tarnwick-journal 1";

struct LegacyItem {
  std::string kind, path, backup, note;
  unsigned mode = 0;
  std::uint64_t after[4] = {};
};

struct LegacyManifest {
  std::string time, operation, output;
  bool undone = false;
  std::vector<LegacyItem> items;
};

std::string Unescape(const std::string& text) {
  std::string out;
  for (std::size_t k = 0; k < text.size(); ++k) {
    if (text[k] != '\\' || k + 1 == text.size()) {
      out += text[k];
      continue;
    }
    const char c = text[++k];
    out += c == 't' ? '\t' : c == 'n' ? '\n' : c == 'r' ? '\r' : c;
  }
  return out;
}

std::vector<std::string> SplitTabs(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (std::size_t at; (at = line.find('\t', start)) != std::string::npos;
       start = at + 1) {
    fields.push_back(line.substr(start, at - start));
  }
  fields.push_back(line.substr(start));
  return fields;
}

bool Number(const std::string& text, std::uint64_t& value) {
  const auto [end, error] =
      std::from_chars(text.data(), text.data() + text.size(), value);
  return !text.empty() && error == std::errc() &&
         end == text.data() + text.size();
}

// Reads and checks the manifest: every item's path absolute, every kept
// name a plain number. False with why.
bool ReadManifest(const std::string& run_folder, LegacyManifest& manifest,
                  std::string& why) {
  std::ifstream in(run_folder + "/" + kManifest, std::ios::binary);
  std::string line;
  if (!std::getline(in, line) || line != kMagic) {
    why = "its manifest does not begin as one";
    return false;
  }
  int number = 1;
  while (std::getline(in, line)) {
    ++number;
    const std::vector<std::string> f = SplitTabs(line);
    if (f.size() == 2 && f[0] == "time") { manifest.time = Unescape(f[1]); continue; }
    if (f.size() == 2 && f[0] == "operation") { manifest.operation = Unescape(f[1]); continue; }
    if (f.size() == 2 && f[0] == "output") { manifest.output = Unescape(f[1]); continue; }
    if (f.size() == 2 && f[0] == "undone") { manifest.undone = f[1] == "1"; continue; }
    LegacyItem item;
    std::uint64_t mode = 0;
    bool good = f.size() == 10 && f[0] == "item" &&
                (f[1] == "replaced" || f[1] == "created" || f[1] == "unkept") &&
                Number(f[4], mode);
    for (int k = 0; good && k < 4; ++k) good = Number(f[5 + k], item.after[k]);
    if (good) {
      item.kind = f[1];
      item.path = Unescape(f[2]);
      item.backup = f[3] == "-" ? std::string() : f[3];
      item.mode = static_cast<unsigned>(mode);
      item.note = Unescape(f[9]);
      std::uint64_t kept = 0;
      good = !item.path.empty() && item.path.front() == '/' &&
             (item.kind != "replaced" ||
              (Number(item.backup, kept) && kept > 0));
    }
    if (!good) {
      why = "line " + std::to_string(number) + " of its manifest is damaged";
      return false;
    }
    manifest.items.push_back(std::move(item));
  }
  return true;
}

bool SameState(const std::string& path, const std::uint64_t after[4]) {
  struct stat info {};
  if (lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
  const std::uint64_t mtime =
      static_cast<std::uint64_t>(info.st_mtim.tv_sec) * 1000000000u +
      static_cast<std::uint64_t>(info.st_mtim.tv_nsec);
  return static_cast<std::uint64_t>(info.st_dev) == after[0] &&
         static_cast<std::uint64_t>(info.st_ino) == after[1] &&
         static_cast<std::uint64_t>(info.st_size) == after[2] &&
         mtime == after[3];
}

std::unordered_set<std::string> KeptNamesOf(const LegacyManifest& manifest) {
  std::unordered_set<std::string> named;
  for (const LegacyItem& item : manifest.items) {
    if (!item.backup.empty()) named.insert(item.backup);
  }
  return named;
}

}  // namespace

bool LegacyKeptNames(const std::string& run_folder,
                     std::unordered_set<std::string>& named) {
  LegacyManifest manifest;
  std::string why;
  if (!ReadManifest(run_folder, manifest, why)) return false;
  named = KeptNamesOf(manifest);
  return true;
}

bool ReadLegacyRun(const std::string& run_folder, JournaledRun& run) {
  LegacyManifest manifest;
  if (!ReadManifest(run_folder, manifest, run.damage)) return false;
  if (const int unnamed = UnnamedKeptFiles(run_folder, KeptNamesOf(manifest))) {
    run.damage = UnnamedKeptDamage(unnamed);
    return false;
  }
  run.time = manifest.time;
  run.operation = manifest.operation;
  run.output_folder = manifest.output;
  run.files = static_cast<int>(manifest.items.size());
  run.undone = manifest.undone;
  run.kept_bytes = RunKeptBytes(run_folder);
  for (const LegacyItem& item : manifest.items) run.not_undoable += item.kind == "unkept";
  return true;
}

void UndoLegacyRun(const std::string& run_folder, UndoResult& result) {
  LegacyManifest manifest;
  std::string why;
  if (!ReadManifest(run_folder, manifest, why)) {
    result.error = "run " + result.id + " cannot be undone: " + why +
                   "; nothing was touched";
    return;
  }
  if (const int unnamed = UnnamedKeptFiles(run_folder, KeptNamesOf(manifest))) {
    result.error = "run " + result.id + " cannot be undone: " +
                   UnnamedKeptDamage(unnamed) + " (in " + run_folder +
                   "); nothing was touched";
    return;
  }
  std::vector<LegacyItem> left;
  for (auto it = manifest.items.rbegin(); it != manifest.items.rend(); ++it) {
    const LegacyItem& item = *it;
    UndoItem done;
    done.path = item.path;
    struct stat now {};
    if (lstat(item.path.c_str(), &now) != 0) {
      done.reason = "it is no longer there";
    } else if (!SameState(item.path, item.after)) {
      done.reason = "it has changed since the run";
    } else if (item.kind == "created") {
      if (unlink(item.path.c_str()) == 0) {
        done.what = UndoItem::What::kRemoved;
      } else {
        done.reason = "it cannot be removed: " + SystemReason(errno);
      }
    } else if (item.kind == "unkept") {
      done.reason = item.note;
    } else {
      const std::string backup = run_folder + "/" + item.backup;
      struct stat kept {};
      if (lstat(backup.c_str(), &kept) != 0 || !S_ISREG(kept.st_mode)) {
        done.reason = "its kept old content is missing from the journal";
      } else if (rename(backup.c_str(), item.path.c_str()) == 0) {
        done.what = UndoItem::What::kRestored;
      } else {
        done.reason = "it cannot be put back: " + SystemReason(errno);
      }
    }
    if (done.what == UndoItem::What::kLeft) left.push_back(item);
    result.items.push_back(std::move(done));
  }
  std::error_code error;
  if (left.empty() && UnnamedKeptFiles(run_folder, {}) == 0) {
    fs::remove_all(run_folder, error);
    return;
  }
  std::reverse(left.begin(), left.end());
  std::ostringstream out;
  out << kMagic << "\ntime\t" << EscapeField(manifest.time) << "\noperation\t"
      << EscapeField(manifest.operation) << "\noutput\t" << EscapeField(manifest.output)
      << "\nundone\t1\n";
  for (const LegacyItem& item : left) {
    out << "item\t" << item.kind << "\t" << EscapeField(item.path) << "\t"
        << (item.backup.empty() ? "-" : item.backup) << "\t" << item.mode;
    for (const std::uint64_t value : item.after) out << "\t" << value;
    out << "\t" << EscapeField(item.note) << "\n";
  }
  const std::string path = run_folder + "/" + kManifest;
  std::ofstream file(path + ".new", std::ios::binary | std::ios::trunc);
  file << out.str();
  file.close();
  if (!file || rename((path + ".new").c_str(), path.c_str()) != 0) {
    unlink((path + ".new").c_str());
  }
  NoteKeptBytes(run_folder);
}

}  // namespace tarnwick
