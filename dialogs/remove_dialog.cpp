// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "dialogs/remove_dialog.h"

#include <QPlainTextEdit>
#include <QPushButton>

#include "core/error_report.h"
#include "core/routine_identities.h"
#include "dialogs/dialog_logic.h"
#include "dialogs/dialog_texts.h"

namespace tarnwick {

RemoveDialog::RemoveDialog(DialogResults& results, ErrorReporter& reporter,
             MessageSink& messages, QWidget* parent)
    : OptionDialog(reporter, 7320, 2355, parent),
      results_(results),
      messages_(messages) {
  setObjectName("Form2");
  setWindowTitle(QString::fromUtf8(dialog_texts::kRemoveCaption));

  text1_ = addTextBox("Text1", 120, 360, 7080, 1380);
  addLabel(this, "Label1", dialog_texts::kRemoveWhat, 135, 120, 1305, 255);
  QPushButton* ok =
      addPushButton("PushButton1", dialog_texts::kOk, 120, 1830, 2760, 405);
  QPushButton* cancel = addPushButton("PushButton2", dialog_texts::kCancel,
                                      3000, 1830, 2640, 405);
  QPushButton* tab = addPushButton("PushButton3", dialog_texts::kTabButton,
                                   5760, 1830, 1440, 405);
  setTabOrder(text1_, ok);
  setTabOrder(ok, cancel);
  setTabOrder(cancel, tab);
  text1_->setFocus();

  connect(ok, &QPushButton::clicked, this, &RemoveDialog::acceptText);
  connect(cancel, &QPushButton::clicked, this, &RemoveDialog::cancel);
  connect(tab, &QPushButton::clicked, this, &RemoveDialog::explainTabs);

  runLoadStep(routines::kRemoveDialogLoad);
}

void RemoveDialog::acceptText() {
  Trap trap(reporter(), routines::kRemoveDialogOk);
  trap.Run(100, [&] { results_.find_what = boxText(*text1_); });
  trap.Run(888, [&] {
    results_.find_what = ConvertTabMarkers(results_.find_what);
  });
  trap.Run(102, [&] { accept(); });
}

void RemoveDialog::cancel() {
  Trap trap(reporter(), routines::kRemoveDialogCancel);
  trap.Run(100, [&] { results_.find_what.clear(); });
  trap.Run(102, [&] { reject(); });
}

void RemoveDialog::explainTabs() {
  Trap trap(reporter(), routines::kRemoveDialogTab);
  trap.Run(100, [&] { messages_.ShowMessage(dialog_texts::kTabHint); });
}

void ShowRemoveDialog(QWidget* owner, const std::string& caption,
                      DialogResults& results, ErrorReporter& reporter,
                      MessageSink& messages) {
  RemoveDialog dialog(results, reporter, messages, owner);
  dialog.setWindowTitle(QString::fromStdString(caption));
  dialog.exec();
}

}  // namespace tarnwick
