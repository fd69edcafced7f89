// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// Scripted window services for the main window's tests: recorded messages,
// scripted dialog answers, a fixed random draw, no browser.
#ifndef TARNWICK_TESTS_GUI_FAKE_WINDOW_SERVICES_H_
#define TARNWICK_TESTS_GUI_FAKE_WINDOW_SERVICES_H_

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "app/window_services.h"
#include "tests/support/memory_settings.h"
#include "tests/support/recording_messages.h"
#include "tests/support/recording_reporter.h"

namespace tarnwick::testing {

class ScriptedOpenFileDialog : public OpenFileDialog {
 public:
  std::vector<std::string> GetOpenFileNames(
      QWidget*, const OpenFileRequest& request) override {
    requests.push_back(request);
    if (answers.empty()) return {};
    auto answer = answers.front();
    answers.pop_front();
    return answer;
  }
  std::deque<std::vector<std::string>> answers;
  std::vector<OpenFileRequest> requests;
};

class ScriptedFolderPicker : public FolderPicker {
 public:
  struct Call {
    std::string prompt;
    std::string start_folder;
  };
  std::string BrowseForFolder(QWidget*, const std::string& prompt,
                              const std::string& start_folder) override {
    calls.push_back({prompt, start_folder});
    return answer;
  }
  std::string answer;
  std::vector<Call> calls;
};

// Answers each showing with the next scripted pair; records the captions.
class ScriptedOptionDialogs : public OptionDialogs {
 public:
  void ShowRemoveDialog(const std::string& caption,
                        DialogResults& results) override {
    remove_captions.push_back(caption);
    Answer(results);
  }
  void ShowFindReplaceDialog(const std::string& caption,
                             DialogResults& results) override {
    find_replace_captions.push_back(caption);
    Answer(results);
  }
  std::deque<DialogResults> answers;
  std::vector<std::string> remove_captions;
  std::vector<std::string> find_replace_captions;
  std::function<void()> while_open;

 private:
  void Answer(DialogResults& results) {
    if (while_open) while_open();
    if (answers.empty()) return;
    results = answers.front();
    answers.pop_front();
  }
};

class RecordingUrls : public UrlOpener {
 public:
  void OpenUrl(const std::string& address) override { opened.push_back(address); }
  std::vector<std::string> opened;
};

class FixedRandom : public RandomSource {
 public:
  int Draw1To100() override { return draw; }
  int draw = 50;
};

// Answers the input box with the next scripted answer (empty when none is
// left: cancelled) and the question with answer_yes; records every showing.
class ScriptedPrompts : public Prompts {
 public:
  struct Input {
    std::string prompt;
    std::string title;
    std::string default_text;
  };
  std::string InputBox(QWidget*, const std::string& prompt,
                       const std::string& title,
                       const std::string& default_text) override {
    inputs.push_back({prompt, title, default_text});
    if (answers.empty()) return {};
    std::string answer = answers.front();
    answers.pop_front();
    return answer;
  }
  bool AskYesNo(QWidget*, const std::string& question,
                DefaultAnswer default_answer) override {
    questions.push_back(question);
    defaults.push_back(default_answer);
    return answer_yes;
  }
  std::deque<std::string> answers;
  std::vector<Input> inputs;
  bool answer_yes = false;
  std::vector<std::string> questions;
  std::vector<DefaultAnswer> defaults;
};

class RecordingFolderOpener : public FolderOpener {
 public:
  bool OpenFolder(const std::string& folder) override {
    opened.push_back(folder);
    return can_open;
  }
  bool can_open = true;
  std::vector<std::string> opened;
};

struct FakeWindowServices {
  MemorySettings settings;
  RecordingReporter reporter;
  RecordingMessages messages;
  ScriptedOpenFileDialog open_file_dialog;
  ScriptedFolderPicker folder_picker;
  ScriptedOptionDialogs option_dialogs;
  RecordingUrls urls;
  FixedRandom random;
  ScriptedPrompts prompts;
  RecordingFolderOpener folders;
  int exits = 0;
  WindowServices services{settings,       reporter,       messages,
                          open_file_dialog, folder_picker, option_dialogs,
                          urls,           random,         prompts,
                          folders,        [this] { ++exits; }};
};

}  // namespace tarnwick::testing

#endif  // TARNWICK_TESTS_GUI_FAKE_WINDOW_SERVICES_H_
