// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// The text operations. EditFile reads a file, transforms its text and
// writes the result, over the file or as a new copy of it; the functions
// named after an operation edit a file in place by its path, outside any
// run. All throw on failure (FileError for file access,
// std::invalid_argument for a replacement list shorter than the find list);
// a file is either written completely or left as it was.
#ifndef TARNWICK_ENGINE_TEXT_OPERATIONS_H_
#define TARNWICK_ENGINE_TEXT_OPERATIONS_H_

#include <string>
#include <string_view>
#include <vector>

#include "engine/edit_context.h"

namespace tarnwick {

// Runs operation on files.source and writes the result as files and context
// say (edit_context.h). For kRemoveText and kFindAndReplace, texts holds
// the user's lines (see ReplaceInFile); the other operations ignore it.
void EditFile(Operation operation, const EditTexts& texts,
              const EditFiles& files, const EditContext& context);

void RemoveAllSpaces(const std::string& path);
// Leaves exactly one space where a run of two or more spaces stood.
void RemoveExtraSpaces(const std::string& path);
// Removes empty lines, with CR LF and LF line ends alike.
void RemoveBlankLines(const std::string& path);
void RemoveAllTabs(const std::string& path);
void RemoveAlphabet(const std::string& path);          // ASCII letters
void RemoveNumeric(const std::string& path);           // ASCII digits
void RemoveAlphanumeric(const std::string& path);      // both
// Keeps only ASCII letters, digits, space, CR, LF and TAB.
void RemoveNonAlphanumeric(const std::string& path);

// find_text and replace_text are split into lines at CR LF; line k of the
// find list is replaced by line k of the replacement list (or removed when
// replace_text is empty), pair after pair, each pass left to right without
// overlap.
void ReplaceInFile(const std::string& path, std::u16string_view find_text,
                   std::u16string_view replace_text);

// Drops (keep == false) or keeps (keep == true) the characters of set.
std::u16string FilterCharacters(std::u16string_view text,
                                std::u16string_view set, bool keep);

// Splits at every CR LF: the empty text has no lines; a text ending in CR LF
// has a last, empty line.
std::vector<std::u16string> SplitLines(std::u16string_view text);

}  // namespace tarnwick

#endif  // TARNWICK_ENGINE_TEXT_OPERATIONS_H_
