// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// Every text the option dialogs show, in one place.
#ifndef TARNWICK_DIALOGS_DIALOG_TEXTS_H_
#define TARNWICK_DIALOGS_DIALOG_TEXTS_H_

namespace tarnwick::dialog_texts {

inline constexpr char kOk[] = "OK";
inline constexpr char kCancel[] = "Cancel";
inline constexpr char kTabButton[] = "Tab?";
inline constexpr char kTabHint[] =
    "Please type <tab> where you would like tabs inserted.";

// The remove-what dialog.
inline constexpr char kRemoveCaption[] =
    "Remove x (user-specified) character(s) in text file(s)";
inline constexpr char kRemoveWhat[] = "Remove what:";

// The find-and-replace dialog.
inline constexpr char kFindReplaceCaption[] =
    "Find and replace x (user-specified) character(s) in text file(s)";
inline constexpr char kFindWhat[] = "Find what:";
inline constexpr char kReplaceWith[] = "Replace with:";
inline constexpr char kAllOption[] = "All Option";
inline constexpr char kSameForAllFiles[] =
    "Do this same Find and Replace set for all files";
inline constexpr char kLineCountsDiffer[] =
    "The number of lines of Find What and Replace With.";

}  // namespace tarnwick::dialog_texts

#endif  // TARNWICK_DIALOGS_DIALOG_TEXTS_H_
