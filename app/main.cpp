// Tarnwick: starting the program loads the main window; closing it ends
// the program.
#include <cstdlib>

#include <QApplication>

#include "app/app_icon.h"
#include "app/folder_picker.h"
#include "app/main_window.h"
#include "app/message_box_reporter.h"
#include "app/qt_window_services.h"
#include "app/start_up.h"
#include "core/product.h"
#include "ui/qt_settings_store.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QString::fromUtf8(tarnwick::product::kName));
  QApplication::setApplicationVersion(
      QString::fromUtf8(tarnwick::product::kVersion));
  QApplication::setWindowIcon(tarnwick::AppIcon());

  tarnwick::QtSettingsStore settings;
  tarnwick::MessageBoxReporter reporter;
  tarnwick::PlainMessageBox messages;
  tarnwick::QtOpenFileDialog open_file_dialog;
  tarnwick::QtFolderPicker folder_picker;
  tarnwick::QtOptionDialogs option_dialogs(reporter, messages, settings);
  tarnwick::DesktopUrlOpener urls;
  tarnwick::TimeSeededRandom random;
  tarnwick::QtPrompts prompts;
  tarnwick::DesktopFolderOpener folders;
  tarnwick::WindowServices services{
      settings, reporter, messages, open_file_dialog, folder_picker,
      option_dialogs, urls, random, prompts, folders,
      [] { std::_Exit(EXIT_SUCCESS); }};

  tarnwick::MainWindow form(services);
  form.load();
  form.show();
  return QApplication::exec();
}
