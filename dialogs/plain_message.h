// The plain message box: the text, an OK button only, no icon, and the
// application title as caption.
#ifndef TARNWICK_DIALOGS_PLAIN_MESSAGE_H_
#define TARNWICK_DIALOGS_PLAIN_MESSAGE_H_

#include <string>

#include <QPointer>
#include <QString>
#include <QWidget>

#include "dialogs/message_sink.h"

namespace tarnwick {

// Shows the box modally over owner (or over no window) and returns when the
// user has closed it.
void ShowPlainMessage(QWidget* owner, const QString& text);

// A message sink that shows plain message boxes over its owner.
class PlainMessageBoxes : public MessageSink {
 public:
  explicit PlainMessageBoxes(QWidget* owner = nullptr) : owner_(owner) {}
  void ShowMessage(const std::string& text) override;
  void SetOwner(QWidget* owner) { owner_ = owner; }

 private:
  QPointer<QWidget> owner_;
};

}  // namespace tarnwick

#endif  // TARNWICK_DIALOGS_PLAIN_MESSAGE_H_
