// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// What the main window needs from the outside world, each behind a small
// interface so that tests can script it: message boxes, the open-file
// dialog, the folder picker, the option dialogs, the input box and the
// Yes/No question, the web browser and the file manager, and the random
// draw at start-up.
#ifndef TARNWICK_APP_WINDOW_SERVICES_H_
#define TARNWICK_APP_WINDOW_SERVICES_H_

#include <functional>
#include <string>
#include <vector>

#include "batch/batch_host.h"
#include "core/message_sink.h"

class QWidget;

namespace tarnwick {

class ErrorReporter;
class SettingsStore;

// The multi-select open-file dialog. The answer is given as the dialog
// writes it: empty when cancelled; one full path for a single file; or the
// folder followed by the names of the files picked in it.
struct OpenFileRequest {
  std::string title;
  std::string filter;
};

class OpenFileDialog {
 public:
  virtual ~OpenFileDialog() = default;
  virtual std::vector<std::string> GetOpenFileNames(
      QWidget* owner, const OpenFileRequest& request) = 0;
};

// The folder picker: the picked folder without a trailing "/" (except the
// root "/"), or the empty text when cancelled.
class FolderPicker {
 public:
  virtual ~FolderPicker() = default;
  virtual std::string BrowseForFolder(QWidget* owner, const std::string& prompt,
                                      const std::string& start_folder) = 0;
};

// The remove-what and find-and-replace dialogs, shown modally with a
// caption; they write their answer into results.
class OptionDialogs {
 public:
  virtual ~OptionDialogs() = default;
  virtual void ShowRemoveDialog(const std::string& caption,
                                DialogResults& results) = 0;
  virtual void ShowFindReplaceDialog(const std::string& caption,
                                     DialogResults& results) = 0;
};

// Opens a web address in the desktop's browser; nothing waits for it.
class UrlOpener {
 public:
  virtual ~UrlOpener() = default;
  virtual void OpenUrl(const std::string& address) = 0;
};

// The button a Yes/No question starts on (Enter presses it).
enum class DefaultAnswer { kYes, kNo };

// The input box and the Yes/No question, both modal and owned by a window.
class Prompts {
 public:
  virtual ~Prompts() = default;
  // Shows prompt (CR and CR LF are line breaks) with an answer box that
  // starts with default_text. The typed answer, or the empty text when the
  // user cancelled.
  virtual std::string InputBox(QWidget* owner, const std::string& prompt,
                               const std::string& title,
                               const std::string& default_text) = 0;
  // Yes and No, no icon, the application title. True for Yes.
  virtual bool AskYesNo(QWidget* owner, const std::string& question,
                        DefaultAnswer default_answer) = 0;
};

// Opens a folder in the desktop's file manager; nothing waits for it. False
// when the desktop has nothing to hand it to.
class FolderOpener {
 public:
  virtual ~FolderOpener() = default;
  virtual bool OpenFolder(const std::string& folder) = 0;
};

// A whole number from 1 to 100.
class RandomSource {
 public:
  virtual ~RandomSource() = default;
  virtual int Draw1To100() = 0;
};

struct WindowServices {
  SettingsStore& settings;
  ErrorReporter& reporter;
  MessageSink& messages;  // plain message boxes
  OpenFileDialog& open_file_dialog;
  FolderPicker& folder_picker;
  OptionDialogs& option_dialogs;
  UrlOpener& urls;
  RandomSource& random;
  Prompts& prompts;
  FolderOpener& folders;
  // Ends the process at once when the window is closed while work is still
  // running inside it (the run or scan that is on the stack never returns).
  std::function<void()> exit_now;
};

}  // namespace tarnwick

#endif  // TARNWICK_APP_WINDOW_SERVICES_H_
