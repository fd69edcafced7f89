// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// The program's own window services: Qt's multi-select open-file dialog,
// the option dialogs, the input box and the question box, and the desktop's
// URL handler for web addresses and folders.
#ifndef TARNWICK_APP_QT_WINDOW_SERVICES_H_
#define TARNWICK_APP_QT_WINDOW_SERVICES_H_

#include <string>
#include <vector>

#include <QStringList>

#include "app/window_services.h"

namespace tarnwick {

// The open-file dialog in "any file" mode with multi-selection: existing
// files are picked with Ctrl and Shift, and a name that does not exist may
// be typed (several as "a.txt" "b.txt"). The answer comes back in the
// dialog's own form: one full path, or the folder followed by the names.
class QtOpenFileDialog : public OpenFileDialog {
 public:
  std::vector<std::string> GetOpenFileNames(
      QWidget* owner, const OpenFileRequest& request) override;
};

// The names in the dialog's name box: one name as typed, or several each
// in double quotes ("a.txt" "b.txt"). A quoted name left open (the box was
// full) is not a name.
QStringList NamesInNameBox(const QString& text);

// The selected files of a dialog that showed folder, in the dialog's form.
std::vector<std::string> SelectionParts(const QString& folder,
                                        const QStringList& selected);

// RemoveDialog ("Form2") and FindReplaceDialog ("Form3"), created anew for
// every showing, with no owner window.
class QtOptionDialogs : public OptionDialogs {
 public:
  QtOptionDialogs(ErrorReporter& reporter, MessageSink& messages,
                  SettingsStore& settings)
      : reporter_(reporter), messages_(messages), settings_(settings) {}
  void ShowRemoveDialog(const std::string& caption,
                        DialogResults& results) override;
  void ShowFindReplaceDialog(const std::string& caption,
                             DialogResults& results) override;

 private:
  ErrorReporter& reporter_;
  MessageSink& messages_;
  SettingsStore& settings_;
};

class DesktopUrlOpener : public UrlOpener {
 public:
  void OpenUrl(const std::string& address) override;
};

// The input box on QInputDialog; the Yes/No question on QMessageBox with
// the application title and no icon.
class QtPrompts : public Prompts {
 public:
  std::string InputBox(QWidget* owner, const std::string& prompt,
                       const std::string& title,
                       const std::string& default_text) override;
  bool AskYesNo(QWidget* owner, const std::string& question,
                DefaultAnswer default_answer) override;
};

// Hands the folder to the desktop's URL handler as a local file address.
class DesktopFolderOpener : public FolderOpener {
 public:
  bool OpenFolder(const std::string& folder) override;
};

}  // namespace tarnwick

#endif  // TARNWICK_APP_QT_WINDOW_SERVICES_H_
