// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "files/run_ledger.h"

#include <fcntl.h>

#include <cerrno>
#include <utility>

#include "files/replacement_journal.h"

namespace tarnwick {
namespace {

std::string PlanKey(FileId folder, const std::string& name) {
  return std::to_string(folder.device) + ":" + std::to_string(folder.inode) +
         "/" + name;
}

}  // namespace

FileIdentity IdentityOf(const struct stat& info) {
  return {static_cast<std::uint64_t>(info.st_dev),
          static_cast<std::uint64_t>(info.st_ino),
          static_cast<std::uint64_t>(info.st_size),
          static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 +
              info.st_mtim.tv_nsec};
}

void RunLedger::AddInput(const std::string& path) {
  struct stat info;
  if (path.find('\0') == std::string::npos && stat(path.c_str(), &info) == 0 &&
      S_ISREG(info.st_mode)) {
    inputs_.emplace(IdOf(info), path);
  }
}

const std::string* RunLedger::InputAt(FileId id) const {
  const auto found = inputs_.find(id);
  return found == inputs_.end() ? nullptr : &found->second;
}

const RunLedger::Written* RunLedger::WrittenAt(FileId id) const {
  const auto found = written_.find(id);
  return found == written_.end() ? nullptr : &found->second;
}

void RunLedger::Record(FileId id, Written written) {
  written_.insert_or_assign(id, std::move(written));
}

void RunLedger::Replaced(FileId before, FileId after, const std::string& path) {
  Written written;
  if (const auto found = written_.find(before); found != written_.end()) {
    written = std::move(found->second);
    written_.erase(found);
  } else {
    written.origin = Origin::kRewritten;
    written.path = path;
    const std::string* input = InputAt(before);
    written.source = input != nullptr ? *input : path;
    written.source_id = before;
  }
  // The old identity names no file of the run any more: the file system
  // may give its inode number to the next file created, which must not be
  // taken for the input. The input is protected under its new identity by
  // its kRewritten record.
  inputs_.erase(before);
  Record(after, std::move(written));
}

std::shared_ptr<const UniqueFd> RunLedger::Folder(const std::string& path) {
  // The name is looked up every time (a folder moved away, or a link
  // pointed elsewhere, is no longer the folder the path names); only the
  // open descriptor is kept.
  struct stat now {};
  if (folder_ != nullptr && path == folder_path_ &&
      stat(path.c_str(), &now) == 0 && IdOf(now) == folder_id_) {
    return folder_;
  }
  UniqueFd opened(open(path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  if (opened.get() < 0 || fstat(opened.get(), &now) != 0) {
    const int error_number = errno;
    auto failed = std::make_shared<const UniqueFd>(-1);
    errno = error_number;
    return failed;
  }
  folder_ = std::make_shared<const UniqueFd>(std::move(opened));
  folder_path_ = path;
  folder_id_ = IdOf(now);
  return folder_;
}

void RunLedger::Plan(FileId folder, const std::string& name, Written written) {
  planned_.insert_or_assign(PlanKey(folder, name), std::move(written));
}

const RunLedger::Written* RunLedger::PlannedAt(FileId folder,
                                               const std::string& name) const {
  const auto found = planned_.find(PlanKey(folder, name));
  return found == planned_.end() ? nullptr : &found->second;
}

}  // namespace tarnwick
