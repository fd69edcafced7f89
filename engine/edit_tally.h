// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// What one operation did to one file: how many changes it made and the
// file's size before and after. A caller that wants to know hands one to the
// operation (EditContext::tally), which adds to it.
#ifndef TARNWICK_ENGINE_EDIT_TALLY_H_
#define TARNWICK_ENGINE_EDIT_TALLY_H_

#include <cstdint>
#include <optional>
#include <vector>

namespace tarnwick {

struct EditTally {
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

  // Forgets the counts: an operation starting over on another path calls
  // it.
  void Reset() {
    changes = 0;
    per_pair.reset();
    bytes_before = 0;
    bytes_after = 0;
    differs = false;
  }
};

}  // namespace tarnwick

#endif  // TARNWICK_ENGINE_EDIT_TALLY_H_
