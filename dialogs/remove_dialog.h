// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// The remove-what dialog (object name "Form2"): the user types the text to remove from
// one file. OK hands it on in results.find_what with every "<tab>" turned
// into a TAB; Cancel empties results.find_what; "Tab?" explains the marker.
// results.replace_with is never touched.
#ifndef TARNWICK_DIALOGS_REMOVE_DIALOG_H_
#define TARNWICK_DIALOGS_REMOVE_DIALOG_H_

#include <string>

#include "core/dialog_results.h"
#include "core/message_sink.h"
#include "dialogs/option_dialog.h"

class QPlainTextEdit;

namespace tarnwick {

// Controls, by object name: Label1, Text1, PushButton1 "OK",
// PushButton2 "Cancel", PushButton3 "Tab?".
class RemoveDialog : public OptionDialog {
  Q_OBJECT

 public:
  // Creating the dialog runs its load step. The caller sets the caption and
  // shows it modally; results must outlive the dialog.
  RemoveDialog(DialogResults& results, ErrorReporter& reporter,
        MessageSink& messages, QWidget* parent = nullptr);

 private:
  void acceptText();
  void cancel();
  void explainTabs();

  DialogResults& results_;
  MessageSink& messages_;
  QPlainTextEdit* text1_;
};

// Creates the dialog over owner (may be null) with the given caption, shows
// it modally and destroys it when it has closed.
void ShowRemoveDialog(QWidget* owner, const std::string& caption,
                      DialogResults& results, ErrorReporter& reporter,
                      MessageSink& messages);

}  // namespace tarnwick

#endif  // TARNWICK_DIALOGS_REMOVE_DIALOG_H_
