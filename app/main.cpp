// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// Tarnwick: starting the program loads the main window; closing it ends
// the program.
#include <cstdio>
#include <cstdlib>
#include <string>

#include <QApplication>
#include <QPushButton>

#include "app/app_icon.h"
#include "app/folder_picker.h"
#include "app/main_window.h"
#include "app/message_box_reporter.h"
#include "app/qt_window_services.h"
#include "app/start_up.h"
#include "core/product.h"
#include "filelist/file_list_model.h"
#include "ui/program_files.h"
#include "ui/qt_settings_store.h"

namespace {

// For the install check, a hidden switch: "tarnwick --list-samples" loads
// the window as a start does without showing it, presses "Load
// Sample/Example Files", answers No to its question, prints the list's
// entries one a line and ends; 1 when a failure was reported (on standard
// error) or nothing was listed.
constexpr char kListSamplesSwitch[] = "--list-samples";

class AnswerNo : public tarnwick::Prompts {
 public:
  std::string InputBox(QWidget*, const std::string&, const std::string&,
                       const std::string&) override {
    return "";
  }
  bool AskYesNo(QWidget*, const std::string&, tarnwick::DefaultAnswer) override {
    return false;
  }
};

class NoHomePageDraw : public tarnwick::RandomSource {
 public:
  int Draw1To100() override { return tarnwick::kHomePageDraw + 1; }
};

class StandardErrorReporter : public tarnwick::ErrorReporter {
 public:
  void ShowReport(const std::string& text) override {
    std::fprintf(stderr, "%s\n", text.c_str());
    reported = true;
  }
  bool reported = false;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QString::fromUtf8(tarnwick::product::kName));
  QApplication::setApplicationVersion(
      QString::fromUtf8(tarnwick::product::kVersion));
  QApplication::setDesktopFileName(
      QString::fromUtf8(tarnwick::product::kDesktopFileName));
  QApplication::setWindowIcon(tarnwick::AppIcon());

  const bool list_samples =
      QApplication::arguments().contains(QLatin1String(kListSamplesSwitch));
  AnswerNo answer_no;
  NoHomePageDraw no_home_page;
  StandardErrorReporter report_to_stderr;

  tarnwick::QtSettingsStore settings;
  tarnwick::MessageBoxReporter message_box_reporter;
  tarnwick::ErrorReporter& reporter =
      list_samples ? static_cast<tarnwick::ErrorReporter&>(report_to_stderr)
                   : message_box_reporter;
  tarnwick::PlainMessageBox messages;
  tarnwick::QtOpenFileDialog open_file_dialog;
  tarnwick::QtFolderPicker folder_picker;
  tarnwick::QtOptionDialogs option_dialogs(reporter, messages, settings);
  tarnwick::DesktopUrlOpener urls;
  tarnwick::TimeSeededRandom time_seeded_random;
  tarnwick::RandomSource& random =
      list_samples ? static_cast<tarnwick::RandomSource&>(no_home_page)
                   : time_seeded_random;
  tarnwick::QtPrompts qt_prompts;
  tarnwick::Prompts& prompts =
      list_samples ? static_cast<tarnwick::Prompts&>(answer_no) : qt_prompts;
  tarnwick::DesktopFolderOpener folders;
  tarnwick::WindowServices services{
      settings, reporter, messages, open_file_dialog, folder_picker,
      option_dialogs, urls, random, prompts, folders,
      [] { std::_Exit(EXIT_SUCCESS); }};

  tarnwick::MainWindow form(services);
  form.load();
  if (list_samples) {
    form.controls().load_samples->click();
    for (const std::string& entry : form.fileList().entries()) {
      std::printf("%s\n", entry.c_str());
    }
    const bool listed = !form.fileList().entries().empty();
    if (!listed) {
      std::fprintf(stderr, "tarnwick: no sample files in %s%s\n",
                   tarnwick::ProgramFolder().c_str(), tarnwick::kSamplesFolder);
    }
    return report_to_stderr.reported || !listed ? EXIT_FAILURE : EXIT_SUCCESS;
  }
  form.show();
  return QApplication::exec();
}
