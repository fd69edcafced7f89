// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// The optional files beside the program: the hand pointer, the drag pointer,
// the skin and the sample folder.
#ifndef TARNWICK_UI_PROGRAM_FILES_H_
#define TARNWICK_UI_PROGRAM_FILES_H_

#include <optional>
#include <string>
#include <string_view>

namespace tarnwick {

// The folder that holds "the files beside the program", without a trailing
// "/" (except for the root "/"): FilesFolderFor the folder of the running
// program file and the installed layout's data folder. Tests may point it
// elsewhere.
std::string ProgramFolder();
void SetProgramFolderForTesting(const std::string& folder);

// Where these files lie for a program file in program_folder. An installed
// program (bin/tarnwick) keeps them in its data folder (share/tarnwick),
// named relative to the program's folder by installed_data ("../share/
// tarnwick"): when that is an existing folder it is the answer, written
// without "." and ".." steps. Otherwise (the build tree) they lie beside the
// program, in program_folder itself.
std::string FilesFolderFor(const std::string& program_folder,
                           std::string_view installed_data);

inline constexpr char kHandCursorFile[] = "/HAND-M.CUR";
inline constexpr char kDragCursorFile[] = "/drag.ico";
inline constexpr char kSamplesFolder[] = "/Samples";

}  // namespace tarnwick

#endif  // TARNWICK_UI_PROGRAM_FILES_H_
