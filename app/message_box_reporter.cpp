// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "app/message_box_reporter.h"

#include <QApplication>
#include <QMessageBox>

#include "app/start_up.h"

namespace tarnwick {
namespace {

void ShowBox(QMessageBox::Icon icon, const std::string& title,
             const std::string& text) {
  QMessageBox box(icon, QString::fromStdString(title),
                  QString::fromStdString(DisplayText(text)), QMessageBox::Ok,
                  QApplication::activeWindow());
  // Texts such as "<tab>" are shown as typed, never read as markup.
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

}  // namespace

std::string DisplayText(std::string_view text) {
  std::string shown;
  shown.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r') {
      shown.push_back(text[i]);
      continue;
    }
    shown.push_back('\n');
    if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
  }
  return shown;
}

void MessageBoxReporter::ShowReport(const std::string& text) {
  ShowBox(QMessageBox::Warning, kErrorReportTitle, text);
}

void PlainMessageBox::ShowMessage(const std::string& text) {
  ShowBox(QMessageBox::NoIcon, ApplicationTitle(), text);
}

}  // namespace tarnwick
