#include "dialogs/plain_message.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QMessageBox>

#include "tests/dialogs/dialog_test_support.h"

namespace tarnwick {
namespace {

class PlainMessageTest : public testing::WindowTest {};

TEST_F(PlainMessageTest, ShowsTheTextWithOkOnlyNoIconAndTheApplicationTitle) {
  QWidget owner;
  PlainMessageBoxes messages(&owner);
  bool seen = false;
  testing::WhenModal([&](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    ASSERT_NE(box, nullptr);
    seen = true;
    EXPECT_EQ(box->windowTitle(), "Tarnwick");
    EXPECT_EQ(box->text(), QString::fromUtf8("Line <b>one</b>\r\n\xC3\xA9"));
    EXPECT_EQ(box->textFormat(), Qt::PlainText);
    EXPECT_EQ(box->icon(), QMessageBox::NoIcon);
    EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
    EXPECT_EQ(box->buttons().size(), 1);
    EXPECT_EQ(box->parentWidget(), &owner);
    box->button(QMessageBox::Ok)->click();
  });
  messages.ShowMessage("Line <b>one</b>\r\n\xC3\xA9");
  EXPECT_TRUE(seen);
}

TEST_F(PlainMessageTest, WorksWithoutAnOwner) {
  bool seen = false;
  testing::WhenModal([&](QWidget* modal) {
    seen = true;
    EXPECT_EQ(modal->parentWidget(), nullptr);
    modal->close();
  });
  ShowPlainMessage(nullptr, "Done.");
  EXPECT_TRUE(seen);
}

}  // namespace
}  // namespace tarnwick
