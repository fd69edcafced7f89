// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// The find-and-replace dialog (object name "Form3"): the user types the lines to find and
// the lines to put in their place. OK hands both on in results (each
// "<tab>" turned into a TAB) when they have the same number of lines, and
// otherwise says so and stays open; Cancel empties both; Check1 stores the
// choice to reuse the pair for all remaining files at every click.
#ifndef TARNWICK_DIALOGS_FIND_REPLACE_DIALOG_H_
#define TARNWICK_DIALOGS_FIND_REPLACE_DIALOG_H_

#include <string>

#include "core/dialog_results.h"
#include "core/message_sink.h"
#include "dialogs/option_dialog.h"

class QCheckBox;
class QPlainTextEdit;

namespace tarnwick {

class SettingsStore;

// Controls, by object name: Text1, Text2, PushButton1 "OK",
// PushButton2 "Cancel", PushButton3 "Tab?", Frame1 "All Option" with
// Check1 inside. The two labels form one array: both are named "Label1"
// and carry the property "index", 0 for "Find what:" and 1 for
// "Replace with:".
class FindReplaceDialog : public OptionDialog {
  Q_OBJECT

 public:
  // Creating the dialog runs its load step. Check1 starts unticked whatever
  // is stored. results must outlive the dialog.
  FindReplaceDialog(DialogResults& results, ErrorReporter& reporter,
        MessageSink& messages, SettingsStore& settings,
        QWidget* parent = nullptr);

 private:
  void acceptTexts();
  void cancel();
  void explainTabs();
  void storeAllFilesChoice(bool ticked);

  DialogResults& results_;
  MessageSink& messages_;
  SettingsStore& settings_;
  QPlainTextEdit* text1_;
  QPlainTextEdit* text2_;
  QCheckBox* check1_;
};

// Creates the dialog over owner (may be null) with the given caption, shows
// it modally and destroys it when it has closed.
void ShowFindReplaceDialog(QWidget* owner, const std::string& caption,
                           DialogResults& results, ErrorReporter& reporter,
                           MessageSink& messages, SettingsStore& settings);

}  // namespace tarnwick

#endif  // TARNWICK_DIALOGS_FIND_REPLACE_DIALOG_H_
