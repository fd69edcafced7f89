// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// Every text the main window and its commands show, in one place so that
// the window can be translated.
#ifndef TARNWICK_APP_MAIN_WINDOW_TEXTS_H_
#define TARNWICK_APP_MAIN_WINDOW_TEXTS_H_

#include "core/operation_keys.h"

namespace tarnwick::texts {

inline constexpr char kCaption[] = "Tarnwick";

inline constexpr char kHelpButton[] = "Help";
inline constexpr char kAddFilesButton[] = "Add File(s)";
inline constexpr char kAddFolderButton[] = "Add All File(s) In Folder";
inline constexpr char kClearListButton[] = "Clear List";
inline constexpr char kLoadSamplesButton[] = "Load Sample/Example Files";
inline constexpr char kRemoveOptionsFrame[] = "Remove Options";
inline constexpr char kOutputFolderFrame[] = "Save Results To This Folder";
inline constexpr char kBrowseButton[] = "...";
inline constexpr char kStartButton[] = "Start Removing";

inline constexpr char kFileListColumn[] = "File(s)";
inline constexpr char kFileListToolTip[] =
    "Drag and drop files here. Double-click item to remove it. Move | line to "
    "right and out of window to reveal full names.";

inline constexpr char kSelectFolderPrompt[] = "Please select folder:";

// "Add All File(s) In Folder": the extension prompt (CR CR between its two
// parts) and the pattern that stands before the answer.
inline constexpr char kExtensionPrompt[] =
    "Enter file extension to load:\r\r"
    "(* for all files, txt for all txt files, doc for all doc files, etc.)";
inline constexpr char kExtensionPatternStart[] = "*.";
// Dropped folders are scanned for files of every kind.
inline constexpr char kAllFilesPattern[] = "*.*";

inline constexpr char kHelpMessageStart[] =
    "This software is intended to be used on text/text-based files. This "
    "software will not work on non-text-based files such as MS Word docs.";
inline constexpr char kHelpMessageGoTo[] = "Please go to ";
inline constexpr char kHelpMessageEnd[] =
    " if you need software to add text to files.";

inline constexpr char kAddFilesTitle[] =
    "Add File(s) - Hold Ctrl to select multiple files";
inline constexpr char kAllFilesFilter[] = "All Files (*)";
inline constexpr char kTooManyFiles[] =
    "You've selected too many files to add.\r\r"
    "Please try adding via the \"Add All\" button.";

// A stored operation that is not a position of the chooser: the stored text
// stands between the two parts.
inline constexpr char kBadChooserPositionStart[] =
    "Invalid property value: the stored operation \"";
inline constexpr char kBadChooserPositionEnd[] =
    "\" is not one of the chooser's positions 0 to 11";
// A hand pointer file that holds no readable pointer image.
inline constexpr char kSamplesFolderNotOpened[] =
    "The folder could not be opened: this desktop has no program to show "
    "folders.\r\n\r\nThe sample files are in ";
inline constexpr char kBadHandPointer[] =
    "Invalid picture: cannot read a pointer image from ";

}  // namespace tarnwick::texts

#endif  // TARNWICK_APP_MAIN_WINDOW_TEXTS_H_
