// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "dialogs/find_replace_dialog.h"

#include <cstddef>

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include "core/error_report.h"
#include "core/routine_identities.h"
#include "core/settings_store.h"
#include "dialogs/dialog_logic.h"
#include "dialogs/dialog_texts.h"

namespace tarnwick {
namespace {

// The check box's click has no routine of its own in the error report; a
// failure there is reported under an identity of the same form rather than
// let loose in the event loop.
constexpr char kCheck1ClickIdentity[] =
    "Quelbrook2021/08/31.Form3.Check1_Click ";

}  // namespace

FindReplaceDialog::FindReplaceDialog(DialogResults& results, ErrorReporter& reporter,
             MessageSink& messages, SettingsStore& settings, QWidget* parent)
    : OptionDialog(reporter, 7320, 5985, parent),
      results_(results),
      messages_(messages),
      settings_(settings) {
  setObjectName("Form3");
  setWindowTitle(QString::fromUtf8(dialog_texts::kFindReplaceCaption));

  text1_ = addTextBox("Text1", 120, 360, 7080, 1905);
  text2_ = addTextBox("Text2", 120, 2640, 7080, 1905);
  QLabel* find_label =
      addLabel(this, "Label1", dialog_texts::kFindWhat, 135, 120, 855, 225);
  find_label->setProperty("index", 0);
  QLabel* replace_label = addLabel(this, "Label1", dialog_texts::kReplaceWith,
                                   135, 2400, 1140, 225);
  replace_label->setProperty("index", 1);
  QPushButton* ok =
      addPushButton("PushButton1", dialog_texts::kOk, 120, 4680, 2760, 405);
  QPushButton* cancel = addPushButton("PushButton2", dialog_texts::kCancel,
                                      3000, 4680, 2640, 405);
  QPushButton* tab = addPushButton("PushButton3", dialog_texts::kTabButton,
                                   5760, 4680, 1440, 405);

  QGroupBox* frame1 = addFrame("Frame1", dialog_texts::kAllOption, 120,
                               5160, 7095, 705);
  check1_ = addCheckBox(frame1, "Check1", dialog_texts::kSameForAllFiles, 240,
                        300, 6615, 245);

  setTabOrder(text1_, text2_);
  setTabOrder(text2_, ok);
  setTabOrder(ok, cancel);
  setTabOrder(cancel, tab);
  setTabOrder(tab, check1_);
  text1_->setFocus();

  connect(ok, &QPushButton::clicked, this, &FindReplaceDialog::acceptTexts);
  connect(cancel, &QPushButton::clicked, this, &FindReplaceDialog::cancel);
  connect(tab, &QPushButton::clicked, this, &FindReplaceDialog::explainTabs);
  connect(check1_, &QCheckBox::clicked, this, &FindReplaceDialog::storeAllFilesChoice);

  runLoadStep(routines::kReplaceDialogLoad);
}

void FindReplaceDialog::acceptTexts() {
  Trap trap(reporter(), routines::kReplaceDialogOk);
  std::size_t find_lines = 0;
  std::size_t replace_lines = 0;
  bool equal = false;
  trap.Run(100, [&] { results_.find_what = boxText(*text1_); });
  trap.Run(102, [&] { results_.replace_with = boxText(*text2_); });
  trap.Run(888, [&] {
    results_.find_what = ConvertTabMarkers(results_.find_what);
  });
  trap.Run(889, [&] {
    results_.replace_with = ConvertTabMarkers(results_.replace_with);
  });
  trap.Run(104, [&] { find_lines = CountLines(results_.find_what); });
  trap.Run(106, [&] { replace_lines = CountLines(results_.replace_with); });
  trap.Run(108, [&] { equal = find_lines == replace_lines; });
  if (equal) {
    trap.Run(110, [&] { accept(); });
  } else {
    trap.Run(112, [&] {
      messages_.ShowMessage(dialog_texts::kLineCountsDiffer);
    });
  }
}

void FindReplaceDialog::cancel() {
  Trap trap(reporter(), routines::kReplaceDialogCancel);
  trap.Run(100, [&] { results_.find_what.clear(); });
  trap.Run(102, [&] { results_.replace_with.clear(); });
  trap.Run(104, [&] { reject(); });
}

void FindReplaceDialog::explainTabs() {
  Trap trap(reporter(), routines::kReplaceDialogTab);
  trap.Run(100, [&] { messages_.ShowMessage(dialog_texts::kTabHint); });
}

void FindReplaceDialog::storeAllFilesChoice(bool ticked) {
  Trap guard(reporter(), kCheck1ClickIdentity);
  guard.Run(100, [&] {
    settings_.SaveSetting(settings::kForm3Check1, ticked ? "1" : "0");
  });
}

void ShowFindReplaceDialog(QWidget* owner, const std::string& caption,
                           DialogResults& results, ErrorReporter& reporter,
                           MessageSink& messages, SettingsStore& settings) {
  FindReplaceDialog dialog(results, reporter, messages, settings, owner);
  dialog.setWindowTitle(QString::fromStdString(caption));
  dialog.exec();
}

}  // namespace tarnwick
