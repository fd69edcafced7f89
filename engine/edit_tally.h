// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// What one operation did to one file: how many changes it made and the
// file's size before and after. A caller that wants to know opens a
// TallyScope around the operation; the operations then add to it. With
// dry_run set, the operations read and transform as usual but write nothing
// (no temporary file either): a preview.
#ifndef TARNWICK_ENGINE_EDIT_TALLY_H_
#define TARNWICK_ENGINE_EDIT_TALLY_H_

#include <cstdint>
#include <optional>
#include <vector>

namespace tarnwick {

struct EditTally {
  bool dry_run = false;          // set by the caller
  // Set by the caller of a dry run: the file the operation reads is the
  // very file the run would rewrite (an edit in place, no copy), so the
  // write's refusals (a read-only file...) apply. Otherwise the file read
  // stands for a fresh copy of it, which the run may always rewrite.
  bool in_place = false;
  std::uint64_t changes = 0;     // characters dropped (a stray byte or a
                                 // lone surrogate is one character), spaces
                                 // removed, empty lines removed, or matches
                                 // replaced (also matches replaced by
                                 // themselves)
  // Find and replace: the matches of each find line, empty lines included
  // (always 0).
  std::optional<std::vector<std::uint64_t>> per_pair;
  std::uint64_t bytes_before = 0;       // the file's size when read
  std::uint64_t bytes_after = 0;        // the size of what was (or would be)
                                        // written
  // True when what was written differs from the file's content before, as
  // the safe write found it comparing as it wrote (in a dry run: the same
  // comparison, writing nothing). False when the file was left untouched.
  bool differs = false;

  // Forgets the counts (not dry_run or in_place): an operation starting
  // over on another path calls it.
  void Reset() {
    changes = 0;
    per_pair.reset();
    bytes_before = 0;
    bytes_after = 0;
    differs = false;
  }
};

// The tally of the innermost TallyScope on this thread, or nullptr.
EditTally* CurrentTally() noexcept;

class TallyScope {
 public:
  explicit TallyScope(EditTally& tally) noexcept;
  ~TallyScope();
  TallyScope(const TallyScope&) = delete;
  TallyScope& operator=(const TallyScope&) = delete;

 private:
  EditTally* previous_;
};

}  // namespace tarnwick

#endif  // TARNWICK_ENGINE_EDIT_TALLY_H_
