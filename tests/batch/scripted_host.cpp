// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "tests/batch/scripted_host.h"

#include <sstream>
#include <stdexcept>

namespace tarnwick::testing {

ScriptedHost::ScriptedHost() {
  reporter.on_report = [this](const std::string&) {
    log.push_back("report " + std::to_string(reporter.lines().back()));
  };
}

int ScriptedHost::FileCount() { return static_cast<int>(files.size()); }

std::string ScriptedHost::FileAt(int position) {
  if (position < 1 || position > FileCount()) {
    throw std::out_of_range("Index out of bounds");
  }
  return files[static_cast<std::size_t>(position - 1)];
}

std::string ScriptedHost::OutputFolderText() { return output_folder; }
std::string ScriptedHost::ChooserText() { return chooser; }

void ScriptedHost::SetProgressValue(double value) {
  progress_values.push_back(value);
  std::ostringstream text;
  text << "progress " << value;
  log.push_back(text.str());
}

void ScriptedHost::SetProgressText(const std::string& text) {
  progress_texts.push_back(text);
  log.push_back("text " + text);
}

void ScriptedHost::ProcessEvents() {
  log.push_back("events");
  ++turns_;
  if (on_events) on_events(*this, turns_);
}

void ScriptedHost::SetBusy(bool on) {
  busy.push_back(on);
  log.push_back(on ? "busy" : "idle");
}

void ScriptedHost::Answer(std::deque<DialogAnswer>& answers,
                          DialogResults& results, bool fills_replacement) {
  DialogAnswer answer;
  if (!answers.empty()) {
    answer = std::move(answers.front());
    answers.pop_front();
  } else {
    answer.closed = true;
  }
  if (answer.while_open) answer.while_open(*this);
  if (answer.closed) return;
  if (answer.cancel) {
    results.find_what.clear();
    results.replace_with.clear();
    return;
  }
  results.find_what = answer.find_what;
  if (fills_replacement) results.replace_with = answer.replace_with;
}

void ScriptedHost::ShowRemoveDialog(const std::string& caption,
                                    DialogResults& results) {
  captions.push_back(caption);
  log.push_back("dialog " + caption);
  Answer(remove_answers, results, false);
}

void ScriptedHost::ShowFindReplaceDialog(const std::string& caption,
                                         DialogResults& results) {
  captions.push_back(caption);
  log.push_back("dialog " + caption);
  Answer(replace_answers, results, true);
}

void ScriptedHost::ShowMessage(const std::string& text) {
  messages.push_back(text);
  log.push_back("message " + text);
}

}  // namespace tarnwick::testing
