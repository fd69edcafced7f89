// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "batch/preview.h"

#include <stdlib.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "engine/text_operations.h"
#include "files/file_error.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;

// A folder of its own under the system's temporary folder, removed with
// what it holds when the preview ends.
class PreviewFolder {
 public:
  PreviewFolder() {
    std::error_code error;
    std::string pattern =
        (fs::temp_directory_path(error) / "tarnwick-preview-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
      throw FileError::FromErrno("Cannot create the preview folder", pattern, errno);
    }
    path_ = pattern;
  }
  ~PreviewFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  PreviewFolder(const PreviewFolder&) = delete;
  PreviewFolder& operator=(const PreviewFolder&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

std::uint64_t SizeOf(const std::string& path) {
  std::error_code error;
  const std::uintmax_t size = fs::file_size(path, error);
  if (error) throw FileError("Cannot read", path, error.message());
  return size;
}

std::string Side(char sign, const std::optional<ShownLine>& line) {
  if (!line) return std::string(1, sign) + "(no line)\n";
  std::string text = sign + DisplayLine(line->text);
  if (line->cut()) {
    text += " [... " + std::to_string(line->length) + " characters in all]";
  }
  return text + "\n";
}

std::string Heading(const LinePair& pair) {
  if (!pair.after) return "@@ line " + std::to_string(pair.before->number) + ", removed @@\n";
  if (!pair.before) return "@@ new line " + std::to_string(pair.after->number) + " @@\n";
  std::string heading = "@@ line " + std::to_string(pair.before->number);
  if (pair.after->number != pair.before->number) {
    heading += ", now line " + std::to_string(pair.after->number);
  }
  return heading + " @@\n";
}

}  // namespace

Preview PreviewOperation(const std::string& source, Operation operation,
                         const DialogResults& answers, std::size_t max_pairs) {
  PreviewFolder folder;
  const std::string copy = folder.path() + "/preview";
  Preview preview;
  EditTally tally;
  // The result is written as a copy: a read-only file is previewed all the
  // same.
  EditFile(operation, {answers.find_what, answers.replace_with},
           {source, copy}, {&tally, /*dry_run=*/false, /*ledger=*/nullptr, /*seal=*/nullptr});
  preview.bytes_before = tally.bytes_before;
  preview.changes = tally.changes;
  preview.bytes_after = SizeOf(copy);
  preview.lines = CompareTextFiles(source, copy, max_pairs);
  return preview;
}

std::string PreviewSummary(const Preview& preview) {
  std::string summary = std::to_string(preview.changes) + " change(s); " +
                        std::to_string(preview.bytes_before) + " -> " +
                        std::to_string(preview.bytes_after) + " bytes; " +
                        std::to_string(preview.lines.total) + " changed line(s)";
  if (preview.lines.pairs.size() < preview.lines.total) {
    summary += ", the first " + std::to_string(preview.lines.pairs.size()) + " shown";
  }
  return summary;
}

std::string PreviewPairsText(const ChangedLines& lines) {
  std::string text;
  for (const LinePair& pair : lines.pairs) {
    text += Heading(pair) + Side('-', pair.before) + Side('+', pair.after);
  }
  if (lines.pairs.size() < lines.total) {
    text += "... " + std::to_string(lines.total - lines.pairs.size()) +
            " more changed line(s) not shown (" + std::to_string(lines.total) +
            " in all)\n";
  }
  return text;
}

}  // namespace tarnwick
