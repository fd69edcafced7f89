// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "app/qt_window_services.h"

#include <QAbstractItemView>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QUrl>

#include "app/folder_picker.h"
#include "app/message_box_reporter.h"
#include "app/start_up.h"

#include "dialogs/find_replace_dialog.h"
#include "dialogs/remove_dialog.h"

namespace tarnwick {

std::vector<std::string> SelectionParts(const QString& folder,
                                        const QStringList& selected) {
  std::vector<std::string> parts;
  if (selected.isEmpty()) return parts;
  if (selected.size() == 1) {
    parts.push_back(selected.first().toStdString());
    return parts;
  }
  // Names typed with their own folder: when they all share one, that
  // folder heads the answer, as when they were picked there.
  QString common = QFileInfo(selected.first()).absolutePath();
  for (const QString& file : selected) {
    if (QFileInfo(file).absolutePath() != common) common = folder;
  }
  const QDir dir(common);
  parts.push_back(QDir::cleanPath(common).toStdString());
  for (const QString& file : selected) {
    parts.push_back(dir.relativeFilePath(file).toStdString());
  }
  return parts;
}

QStringList NamesInNameBox(const QString& text) {
  if (!text.contains(u'"')) {
    return text.isEmpty() ? QStringList() : QStringList{text};
  }
  QStringList names;
  const QStringList tokens = text.split(u'"');
  // tokens[i] for odd i lies between quotes; the last one is closed only
  // when a token follows it.
  for (qsizetype i = 1; i + 1 < tokens.size(); i += 2) {
    if (!tokens[i].isEmpty()) names << tokens[i];
  }
  return names;
}

std::vector<std::string> QtOpenFileDialog::GetOpenFileNames(
    QWidget* owner, const OpenFileRequest& request) {
  QFileDialog dialog(owner, QString::fromStdString(request.title), QString(),
                     QString::fromStdString(request.filter));
  dialog.setObjectName("CommonDialog1");
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  // "Existing files" mode would refuse a typed name that does not exist;
  // "any file" mode accepts it but selects one row at a time, so the views
  // are switched to extended selection afterwards.
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.resize(kFileDialogWidth, kFileDialogHeight);
  for (QAbstractItemView* view : dialog.findChildren<QAbstractItemView*>()) {
    const QString name = view->objectName();
    if (name == "listView" || name == "treeView") {
      view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    }
  }
  if (dialog.exec() != QDialog::Accepted) return {};
  // The dialog's answer is its list's selection, which holds every picked
  // file however many, and its name box, which holds the typed names. The
  // dialog selects the listed files among the typed names, but not always
  // all of them (it depends on the list's sort order and on the order of
  // typing), so the box decides: when it names every selected file, the
  // answer is the box's names in the order typed, listed or not. The box
  // holds a limited number of characters, so a long selection is cut there
  // (a name without its closing quote is not read): then the selection
  // comes first and the box adds the names it lacks.
  const QDir folder = dialog.directory();
  const QStringList selected = dialog.selectedFiles();
  QStringList typed;
  if (const auto* box = dialog.findChild<QLineEdit*>("fileNameEdit")) {
    for (const QString& name : NamesInNameBox(box->text())) {
      typed << folder.absoluteFilePath(name);
    }
  }
  QStringList files = typed;
  for (const QString& path : selected) {
    if (!typed.contains(path)) {
      files = selected;
      for (const QString& name : typed) {
        if (!files.contains(name)) files << name;
      }
      break;
    }
  }
  if (files.isEmpty()) files = selected;
  return SelectionParts(folder.absolutePath(), files);
}

void QtOptionDialogs::ShowRemoveDialog(const std::string& caption,
                                       DialogResults& results) {
  tarnwick::ShowRemoveDialog(nullptr, caption, results, reporter_, messages_);
}

void QtOptionDialogs::ShowFindReplaceDialog(const std::string& caption,
                                            DialogResults& results) {
  tarnwick::ShowFindReplaceDialog(nullptr, caption, results, reporter_,
                                  messages_, settings_);
}

void DesktopUrlOpener::OpenUrl(const std::string& address) {
  QDesktopServices::openUrl(QUrl(QString::fromStdString(address)));
}

std::string QtPrompts::InputBox(QWidget* owner, const std::string& prompt,
                                const std::string& title,
                                const std::string& default_text) {
  bool accepted = false;
  const QString answer = QInputDialog::getText(
      owner, QString::fromStdString(title),
      QString::fromStdString(DisplayText(prompt)), QLineEdit::Normal,
      QString::fromStdString(default_text), &accepted);
  return accepted ? answer.toStdString() : std::string();
}

bool QtPrompts::AskYesNo(QWidget* owner, const std::string& question,
                         DefaultAnswer default_answer) {
  QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(ApplicationTitle()),
                  QString::fromStdString(DisplayText(question)),
                  QMessageBox::Yes | QMessageBox::No, owner);
  box.setTextFormat(Qt::PlainText);
  box.setDefaultButton(default_answer == DefaultAnswer::kYes ? QMessageBox::Yes
                                                            : QMessageBox::No);
  return box.exec() == QMessageBox::Yes;
}

bool DesktopFolderOpener::OpenFolder(const std::string& folder) {
  return QDesktopServices::openUrl(
      QUrl::fromLocalFile(QString::fromStdString(folder)));
}

}  // namespace tarnwick
