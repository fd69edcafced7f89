// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "dialogs/pointer_rule.h"

#include <QEvent>
#include <QMouseEvent>

namespace tarnwick {

PointerRule::PointerRule(QWidget* window) : QObject(window), window_(window) {}

void PointerRule::addPushButton(QWidget* button) {
  button->setMouseTracking(true);
  button->setProperty("tarnwickPointerTarget",
                      static_cast<int>(PointerTarget::kPushButton));
  button->installEventFilter(this);
}

void PointerRule::addSurface(QWidget* surface) {
  surface->setMouseTracking(true);
  surface->setProperty("tarnwickPointerTarget",
                       static_cast<int>(PointerTarget::kSurface));
  surface->installEventFilter(this);
}

void PointerRule::setHandCursor(std::optional<QCursor> cursor) {
  hand_ = std::move(cursor);
  apply();
}

void PointerRule::setSetting(PointerSetting setting) {
  setting_ = setting;
  apply();
}

bool PointerRule::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::MouseMove) return false;
  auto* widget = qobject_cast<QWidget*>(watched);
  const QVariant target = watched->property("tarnwickPointerTarget");
  if (widget == nullptr || !target.isValid()) return false;
  if (static_cast<PointerTarget>(target.toInt()) == PointerTarget::kSurface) {
    // A move that reaches the surface from a control on it is not a move
    // over the surface itself.
    const auto* move = static_cast<QMouseEvent*>(event);
    if (widget->childAt(move->position().toPoint()) != nullptr) return false;
  }
  const PointerSetting next = NextPointerSetting(
      setting_, static_cast<PointerTarget>(target.toInt()));
  if (next != setting_) setSetting(next);
  return false;
}

void PointerRule::apply() {
  switch (setting_) {
    case PointerSetting::kHourglass:
      window_->setCursor(Qt::WaitCursor);
      break;
    case PointerSetting::kCustom:
      if (hand_) {
        window_->setCursor(*hand_);
        break;
      }
      [[fallthrough]];
    case PointerSetting::kStandard:
      window_->setCursor(Qt::ArrowCursor);
      break;
  }
}

}  // namespace tarnwick
