// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// "Load Sample/Example Files": appends the files of the Samples folder
// beside the program that are not listed yet, then offers to open that
// folder.
#ifndef TARNWICK_FILELIST_SAMPLE_FILES_H_
#define TARNWICK_FILELIST_SAMPLE_FILES_H_

#include <string>

namespace tarnwick {

class ErrorReporter;
class FileList;

inline constexpr char kOpenSamplesQuestion[] =
    "Would you like this software to open the folder where these sample files "
    "are stored (so that you can view them before working with them)?";

// What loading the samples needs from the window.
class SampleHost {
 public:
  virtual ~SampleHost() = default;
  virtual FileList& List() = 0;
  // A Yes/No message box without icon, titled with the application title.
  // True for Yes.
  virtual bool AskYesNo(const std::string& question) = 0;
  // Opens the folder in the desktop's file manager; the outcome is not
  // examined.
  virtual void OpenFolder(const std::string& folder) = 0;
  virtual ErrorReporter& Reporter() = 0;
};

// Appends program_folder + "/Samples/" + name, unchanged, for every existing
// file of the Samples folder (listing order, hidden files too, no
// subfolders) unless an equal entry is listed; then asks
// kOpenSamplesQuestion, every time, and on Yes opens program_folder +
// "/Samples/". A missing or empty Samples folder appends nothing and the
// question still comes. A failure (also a Samples folder that may not be
// read) is reported under the button's identity and ends the command. Step
// lines: 100 listing the folder, 102 appending an entry, 104 the question,
// 106 opening the folder.
void LoadSampleFiles(const std::string& program_folder, SampleHost& host);

}  // namespace tarnwick

#endif  // TARNWICK_FILELIST_SAMPLE_FILES_H_
