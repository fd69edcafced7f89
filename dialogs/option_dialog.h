// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// What the two option dialogs share: the window style (fixed size, title bar
// with a close box only, modal, no default or cancel button, Escape does
// nothing), the controls' fonts and design-size placement, the load step
// (background colour, icon, hand pointer) and the pointer rule.
#ifndef TARNWICK_DIALOGS_OPTION_DIALOG_H_
#define TARNWICK_DIALOGS_OPTION_DIALOG_H_

#include <string>

#include <QDialog>
#include <QRect>

#include "dialogs/dialog_logic.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace tarnwick {

class ErrorReporter;
class PointerRule;

// Sets window's background to the palette's button-face colour, then walks
// its controls in creation order and gives the same background to every
// label, frame, check box and option button. Boxes, push buttons and other
// controls keep their colours.
void ApplyDialogBackColor(QWidget& window);

class OptionDialog : public QDialog {
  Q_OBJECT

 public:
  PointerSetting pointerSetting() const;
  void setPointerSetting(PointerSetting setting);
  // Whether the load step found and loaded the hand pointer.
  bool hasHandPointer() const;

 protected:
  // A dialog whose client area is client_width x client_height twips,
  // centred on the screen, with the design-time white background.
  OptionDialog(ErrorReporter& reporter, int client_width, int client_height,
               QWidget* parent);

  // Controls at their design place (twips, relative to parent). A label is
  // widened to its text where the design width would clip it.
  QLabel* addLabel(QWidget* parent, const char* name, const char* text,
                   int left, int top, int width, int height);
  QPlainTextEdit* addTextBox(const char* name, int left, int top, int width,
                             int height);
  QPushButton* addPushButton(const char* name, const char* text, int left,
                             int top, int width, int height);
  // A frame is a surface of the pointer rule, like the window itself.
  QGroupBox* addFrame(const char* name, const char* text, int left, int top,
                      int width, int height);
  QCheckBox* addCheckBox(QWidget* parent, const char* name, const char* text,
                         int left, int top, int width, int height);

  // The load step under the trap of the given routine identity: background
  // (line 100), icon (102), the hand pointer file's test (104) and load (106).
  void runLoadStep(const char* identity);

  // The text of a box as typed, with CR LF between lines.
  static std::u16string boxText(const QPlainTextEdit& box);

  ErrorReporter& reporter() { return reporter_; }

  void keyPressEvent(QKeyEvent* event) override;

 private:
  ErrorReporter& reporter_;
  PointerRule* pointer_rule_;
};

}  // namespace tarnwick

#endif  // TARNWICK_DIALOGS_OPTION_DIALOG_H_
