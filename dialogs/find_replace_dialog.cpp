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

Form3::Form3(DialogResults& results, ErrorReporter& reporter,
             MessageSink& messages, SettingsStore& settings, QWidget* parent)
    : OptionDialog(reporter, 7320, 5985, parent),
      results_(results),
      messages_(messages),
      settings_(settings) {
  setObjectName("Form3");
  setWindowTitle(QString::fromUtf8(dialog_texts::kFindReplaceCaption));

  text1_ = AddTextBox("Text1", 120, 360, 7080, 1905);
  text2_ = AddTextBox("Text2", 120, 2640, 7080, 1905);
  QLabel* find_label =
      AddLabel(this, "Label1", dialog_texts::kFindWhat, 135, 120, 855, 225);
  find_label->setProperty("index", 0);
  QLabel* replace_label = AddLabel(this, "Label1", dialog_texts::kReplaceWith,
                                   135, 2400, 1140, 225);
  replace_label->setProperty("index", 1);
  QPushButton* ok =
      AddPushButton("PushButton1", dialog_texts::kOk, 120, 4680, 2760, 405);
  QPushButton* cancel = AddPushButton("PushButton2", dialog_texts::kCancel,
                                      3000, 4680, 2640, 405);
  QPushButton* tab = AddPushButton("PushButton3", dialog_texts::kTabButton,
                                   5760, 4680, 1440, 405);

  QGroupBox* frame1 = AddFrame("Frame1", dialog_texts::kAllOption, 120,
                               5160, 7095, 705);
  check1_ = AddCheckBox(frame1, "Check1", dialog_texts::kSameForAllFiles, 240,
                        300, 6615, 245);

  setTabOrder(text1_, text2_);
  setTabOrder(text2_, ok);
  setTabOrder(ok, cancel);
  setTabOrder(cancel, tab);
  setTabOrder(tab, check1_);
  text1_->setFocus();

  connect(ok, &QPushButton::clicked, this, &Form3::acceptTexts);
  connect(cancel, &QPushButton::clicked, this, &Form3::cancel);
  connect(tab, &QPushButton::clicked, this, &Form3::explainTabs);
  connect(check1_, &QCheckBox::clicked, this, &Form3::storeAllFilesChoice);

  RunLoadStep(routines::kReplaceDialogLoad);
}

void Form3::acceptTexts() {
  Trap trap(reporter(), routines::kReplaceDialogOk);
  std::size_t find_lines = 0;
  std::size_t replace_lines = 0;
  bool equal = false;
  trap.Run(100, [&] { results_.find_what = BoxText(*text1_); });
  trap.Run(102, [&] { results_.replace_with = BoxText(*text2_); });
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

void Form3::cancel() {
  Trap trap(reporter(), routines::kReplaceDialogCancel);
  trap.Run(100, [&] { results_.find_what.clear(); });
  trap.Run(102, [&] { results_.replace_with.clear(); });
  trap.Run(104, [&] { reject(); });
}

void Form3::explainTabs() {
  Trap trap(reporter(), routines::kReplaceDialogTab);
  trap.Run(100, [&] { messages_.ShowMessage(dialog_texts::kTabHint); });
}

void Form3::storeAllFilesChoice(bool ticked) {
  Trap guard(reporter(), kCheck1ClickIdentity);
  guard.Run(100, [&] {
    settings_.SaveSetting(settings::kForm3Check1, ticked ? "1" : "0");
  });
}

void ShowFindReplaceDialog(QWidget* owner, const std::string& caption,
                           DialogResults& results, ErrorReporter& reporter,
                           MessageSink& messages, SettingsStore& settings) {
  Form3 dialog(results, reporter, messages, settings, owner);
  dialog.setWindowTitle(QString::fromStdString(caption));
  dialog.exec();
}

}  // namespace tarnwick
