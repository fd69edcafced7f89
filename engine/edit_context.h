// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// What an edit is asked to do, and everything that decides how it does it,
// handed to it by its caller: which operation, which file it reads, where it
// writes, whether it writes at all, what it counts into, and the run it
// belongs to.
#ifndef TARNWICK_ENGINE_EDIT_CONTEXT_H_
#define TARNWICK_ENGINE_EDIT_CONTEXT_H_

#include <optional>
#include <string>
#include <string_view>

#include "engine/edit_tally.h"

namespace tarnwick {

class RunLedger;
struct SealedFile;

// The ten operations, and the copy of a file as it is.
enum class Operation {
  kCopyUnchanged,
  kRemoveAllSpaces,
  kRemoveExtraSpaces,       // one space stays where a run of them stood
  kRemoveBlankLines,        // empty lines, with CR LF and LF line ends alike
  kRemoveAllTabs,
  kRemoveAlphabet,          // ASCII letters
  kRemoveNumeric,           // ASCII digits
  kRemoveAlphanumeric,      // both
  kRemoveNonAlphanumeric,   // all but ASCII letters, digits, space, CR, LF, TAB
  kRemoveText,              // the lines of EditTexts::find
  kFindAndReplace,          // EditTexts::find by EditTexts::replace
};

// The user's texts for the two operations that need them (text_operations.h
// says how they are split into lines), held by the caller.
struct EditTexts {
  std::u16string_view find;
  std::u16string_view replace;
};

// The file an edit reads and the one it writes.
struct EditFiles {
  std::string source;  // the file read
  // When set, the result is written here as the run's copy of source (the
  // source's permission bits plus the owner's write bit, replacing whatever
  // the name holds; source stays as it is), in one pass: the source is read
  // once and the result goes straight to the new file. When empty, source
  // itself is rewritten.
  std::optional<std::string> copy_to;

  const std::string& written() const { return copy_to ? *copy_to : source; }
};

struct EditContext {
  // Counts into it when given (edit_tally.h).
  EditTally* tally = nullptr;
  // Reads and transforms as usual but writes nothing, no temporary file
  // either, comparing as the write would: a preview. An edit in place then
  // refuses what the write would refuse (a read-only file...) and plans in
  // the ledger what it would write; a copy is the run's to write and is
  // never refused.
  bool dry_run = false;
  // The run the edit belongs to (files/run_ledger.h), or nullptr: an edit
  // in a run never creates the file it was meant to edit ("the file has
  // gone"), replaces the run's own copies without a flush, records what it
  // writes and tells the run's journal first.
  RunLedger* ledger = nullptr;
  // When given, for a copy into a free name and no run: the result is
  // written in full but not given its name; it is handed over here, for
  // the run to name later (files/pending_replacement.h). Lets the work of
  // an entry be done ahead on another thread.
  SealedFile* seal = nullptr;
};

}  // namespace tarnwick

#endif  // TARNWICK_ENGINE_EDIT_CONTEXT_H_
