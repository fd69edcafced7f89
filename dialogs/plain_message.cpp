#include "dialogs/plain_message.h"

#include <QMessageBox>

#include "app/product.h"

namespace tarnwick {

void ShowPlainMessage(QWidget* owner, const QString& text) {
  QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(product::kName),
                  text, QMessageBox::Ok, owner);
  box.setObjectName("PlainMessage");
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

void PlainMessageBoxes::ShowMessage(const std::string& text) {
  ShowPlainMessage(owner_.data(), QString::fromStdString(text));
}

}  // namespace tarnwick
