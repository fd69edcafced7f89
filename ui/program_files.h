// The optional files beside the program: the hand pointer, the drag pointer,
// the sample folder.
#ifndef TARNWICK_UI_PROGRAM_FILES_H_
#define TARNWICK_UI_PROGRAM_FILES_H_

#include <optional>
#include <string>

namespace tarnwick {

// The folder that holds the program file, without a trailing "/" (except
// for the root "/"). Tests may point it elsewhere.
std::string ProgramFolder();
void SetProgramFolderForTesting(const std::string& folder);

inline constexpr char kHandCursorFile[] = "/HAND-M.CUR";
inline constexpr char kDragCursorFile[] = "/drag.ico";
inline constexpr char kSamplesFolder[] = "/Samples";

}  // namespace tarnwick

#endif  // TARNWICK_UI_PROGRAM_FILES_H_
