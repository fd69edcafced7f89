// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "dialogs/option_dialog.h"

#include <algorithm>
#include <stdexcept>

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTextDocument>

#include "core/error_report.h"
#include "dialogs/pointer_rule.h"
#include "files/path_helpers.h"
#include "ui/design_fonts.h"
#include "ui/pointer_file.h"
#include "ui/program_files.h"
#include "ui/twips.h"

namespace tarnwick {
namespace {

void SetBackground(QWidget& widget, const QColor& colour) {
  QPalette palette = widget.palette();
  palette.setColor(QPalette::Window, colour);
  widget.setPalette(palette);
  widget.setAutoFillBackground(true);
}

bool TakesDialogBackColor(const QWidget& widget) {
  return qobject_cast<const QLabel*>(&widget) != nullptr ||
         qobject_cast<const QGroupBox*>(&widget) != nullptr ||
         qobject_cast<const QCheckBox*>(&widget) != nullptr ||
         qobject_cast<const QRadioButton*>(&widget) != nullptr;
}

}  // namespace

void ApplyDialogBackColor(QWidget& window) {
  const QColor face = QApplication::palette().color(QPalette::Button);
  SetBackground(window, face);
  const auto controls =
      window.findChildren<QWidget*>(QString(), Qt::FindChildrenRecursively);
  for (QWidget* control : controls) {
    if (!TakesDialogBackColor(*control)) continue;
    SetBackground(*control, face);
    // Labels and check boxes then let their container's face show, so a
    // check box inside a frame matches the frame's own shading.
    if (qobject_cast<QGroupBox*>(control) == nullptr) {
      control->setAutoFillBackground(false);
    }
  }
}

OptionDialog::OptionDialog(ErrorReporter& reporter, int client_width,
                           int client_height, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      reporter_(reporter),
      pointer_rule_(new PointerRule(this)) {
  setModal(true);
  setSizeGripEnabled(false);
  setFont(WindowFont());
  SetBackground(*this, Qt::white);
  setFixedSize(TwipsToPixels(client_width), TwipsToPixels(client_height));
  pointer_rule_->addSurface(this);

  QScreen* screen = parent != nullptr ? parent->screen()
                                      : QGuiApplication::primaryScreen();
  if (screen != nullptr) {
    QRect place(QPoint(0, 0), size());
    place.moveCenter(screen->availableGeometry().center());
    move(place.topLeft());
  }
}

PointerSetting OptionDialog::pointerSetting() const {
  return pointer_rule_->setting();
}

void OptionDialog::setPointerSetting(PointerSetting setting) {
  pointer_rule_->setSetting(setting);
}

bool OptionDialog::hasHandPointer() const {
  return pointer_rule_->hasHandCursor();
}

QLabel* OptionDialog::addLabel(QWidget* parent, const char* name,
                               const char* text, int left, int top, int width,
                               int height) {
  auto* label = new QLabel(QString::fromUtf8(text), parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setTextFormat(Qt::PlainText);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label->setWordWrap(false);
  // A label is never narrower than its text: the design widths were made
  // for the original face, and a clipped caption helps nobody.
  QRect place = TwipsRect(left, top, width, height);
  const int text_width = label->fontMetrics().horizontalAdvance(label->text());
  place.setWidth(std::max(place.width(), text_width));
  label->setGeometry(place);
  SetBackground(*label, Qt::white);
  return label;
}

QPlainTextEdit* OptionDialog::addTextBox(const char* name, int left, int top,
                                         int width, int height) {
  auto* box = new QPlainTextEdit(this);
  box->setObjectName(QString::fromLatin1(name));
  box->setLineWrapMode(QPlainTextEdit::NoWrap);
  box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  // TAB moves to the next control; tabs are typed as "<tab>".
  box->setTabChangesFocus(true);
  box->setGeometry(TwipsRect(left, top, width, height));
  return box;
}

QPushButton* OptionDialog::addPushButton(const char* name, const char* text,
                                         int left, int top, int width,
                                         int height) {
  auto* button = new QPushButton(QString::fromUtf8(text), this);
  button->setObjectName(QString::fromLatin1(name));
  button->setAutoDefault(false);
  button->setDefault(false);
  button->setFont(PushButtonFont());
  button->setGeometry(TwipsRect(left, top, width, height));
  pointer_rule_->addPushButton(button);
  return button;
}

QGroupBox* OptionDialog::addFrame(const char* name, const char* text,
                                  int left, int top, int width, int height) {
  auto* frame = new QGroupBox(QString::fromUtf8(text), this);
  frame->setObjectName(QString::fromLatin1(name));
  frame->setGeometry(TwipsRect(left, top, width, height));
  SetBackground(*frame, Qt::white);
  pointer_rule_->addSurface(frame);
  return frame;
}

QCheckBox* OptionDialog::addCheckBox(QWidget* parent, const char* name,
                                     const char* text, int left, int top,
                                     int width, int height) {
  auto* box = new QCheckBox(QString::fromUtf8(text), parent);
  box->setObjectName(QString::fromLatin1(name));
  box->setChecked(false);
  box->setGeometry(TwipsRect(left, top, width, height));
  SetBackground(*box, Qt::white);
  return box;
}

void OptionDialog::runLoadStep(const char* identity) {
  Trap trap(reporter_, identity);
  trap.Run(100, [&] { ApplyDialogBackColor(*this); });
  trap.Run(102, [&] { setWindowIcon(QApplication::windowIcon()); });
  std::string path;
  bool exists = false;
  trap.Run(104, [&] {
    path = ProgramFolder() + kHandCursorFile;
    exists = PathExists(path);
  });
  if (exists) {
    trap.Run(106, [&] {
      std::optional<QCursor> hand = LoadPointerFile(path);
      if (!hand) {
        throw std::runtime_error("Invalid picture: " + path);
      }
      pointer_rule_->setHandCursor(std::move(hand));
    });
  }
}

std::u16string OptionDialog::boxText(const QPlainTextEdit& box) {
  // The raw text keeps what was typed (toPlainText() would turn non-breaking
  // spaces into spaces).
  return BoxTextWithCrLf(box.document()->toRawText().toStdU16String());
}

void OptionDialog::keyPressEvent(QKeyEvent* event) {
  // No cancel button: Escape does nothing. The close box still closes.
  if (event->key() == Qt::Key_Escape) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

}  // namespace tarnwick
