// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// The pointer rule on a window: moving over a push button shows the hand
// pointer, moving over the window's own surface or a frame shows the
// standard pointer, and neither happens while the window shows the
// hourglass. Labels, boxes and other controls have no pointer handling.
#ifndef TARNWICK_DIALOGS_POINTER_RULE_H_
#define TARNWICK_DIALOGS_POINTER_RULE_H_

#include <optional>

#include <QCursor>
#include <QObject>
#include <QWidget>

#include "dialogs/dialog_logic.h"

namespace tarnwick {

class PointerRule : public QObject {
  Q_OBJECT

 public:
  // Applies the rule to window's pointer; window owns the rule.
  explicit PointerRule(QWidget* window);

  // Watches mouse moves over a push button, or over a surface (the window
  // itself or a frame; only moves over the surface's own area count, not
  // over the controls on it).
  void addPushButton(QWidget* button);
  void addSurface(QWidget* surface);

  // The image of the custom setting; without one, custom looks standard.
  void setHandCursor(std::optional<QCursor> cursor);
  bool hasHandCursor() const { return hand_.has_value(); }

  PointerSetting setting() const { return setting_; }
  // Sets the window's pointer setting (for example to the hourglass).
  void setSetting(PointerSetting setting);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void apply();

  QWidget* window_;
  std::optional<QCursor> hand_;
  PointerSetting setting_ = PointerSetting::kStandard;
};

}  // namespace tarnwick

#endif  // TARNWICK_DIALOGS_POINTER_RULE_H_
