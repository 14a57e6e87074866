// The help dialog shows the five blocks exactly, top to bottom, and closes with OK.
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "help_dialog.hpp"
#include "texts/help_text.hpp"
#include "ui_fixtures.hpp"

namespace palvarin::test {
namespace {

TEST(HelpDialogTest, LabelsHoldTheFiveBlocksExactlyInOrder) {
  HelpDialog dialog;
  dialog.show();
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("ヘルプ"));
  EXPECT_EQ(dialog.findChildren<QLabel*>().size(), 5);
  int previousBottom = -1;
  for (std::size_t i = 0; i < HelpBlocks().size(); ++i) {
    SCOPED_TRACE(i + 1);
    auto* label = dialog.findChild<QLabel*>(QStringLiteral("helpBlock%1").arg(i + 1));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text().toStdString(), std::string(HelpBlocks()[i]));
    // Shown as it stands: no markup, no mnemonic.
    EXPECT_EQ(label->textFormat(), Qt::PlainText);
    EXPECT_EQ(label->buddy(), nullptr);
    EXPECT_GE(label->geometry().top(), previousBottom);
    previousBottom = label->geometry().bottom();
  }
}

TEST(HelpDialogTest, OkClosesIt) {
  HelpDialog dialog;
  dialog.show();
  auto* ok = dialog.findChild<QPushButton*>(QStringLiteral("okButton"));
  ASSERT_NE(ok, nullptr);
  EXPECT_EQ(ok->text(), QStringLiteral("OK"));
  EXPECT_TRUE(ok->isDefault());
  QTest::mouseClick(ok, Qt::LeftButton);
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_FALSE(dialog.isVisible());
}

}  // namespace
}  // namespace palvarin::test
