// The help dialog shows the five blocks, top to bottom, without gaps, then every long switch,
// and closes with OK; the main dialog opens it from its help button and from F1 wherever the
// focus is.
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "texts/help_text.hpp"
#include "ui/dialog/help_dialog.hpp"
#include "ui_fixtures.hpp"

namespace palvarin::test {
namespace {

TEST(HelpDialogTest, LabelsHoldTheFiveBlocksInOrderThenTheLongSwitches) {
  HelpDialog dialog;
  dialog.show();
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("ヘルプ"));
  EXPECT_EQ(dialog.findChildren<QLabel*>().size(), 6);
  int previousBottom = -1;
  for (std::size_t i = 0; i < HelpBlocks().size(); ++i) {
    SCOPED_TRACE(i + 1);
    auto* label = dialog.findChild<QLabel*>(QStringLiteral("helpBlock%1").arg(i + 1));
    ASSERT_NE(label, nullptr);
    const std::string text = label->text().toStdString();
    EXPECT_EQ(text, std::string(ShownHelpBlock(HelpBlocks()[i])));
    // A block's last line is text: a blank one would stand as a gap in the help.
    EXPECT_NE(text.substr(text.find_last_of('\n') + 1).find_first_not_of(' '), std::string::npos);
    // Shown as it stands: no markup, no mnemonic.
    EXPECT_EQ(label->textFormat(), Qt::PlainText);
    EXPECT_EQ(label->buddy(), nullptr);
    EXPECT_GE(label->geometry().top(), previousBottom);
    previousBottom = label->geometry().bottom();
  }
  auto* longSwitches = dialog.findChild<QLabel*>(QStringLiteral("helpLongSwitches"));
  ASSERT_NE(longSwitches, nullptr);
  EXPECT_EQ(longSwitches->text().toStdString(), LongSwitchHelp());
  EXPECT_GT(longSwitches->geometry().top(), previousBottom);
  EXPECT_EQ(longSwitches->textFormat(), Qt::PlainText);
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

// How the help is asked for: the button, or F1 with the focus on a control of the dialog.
struct HelpAsk {
  const char* how;
  const char* focus;  // the control with the focus; F1 is pressed there unless it is clicked
  bool click;
};

TEST_F(DialogTest, HelpButtonAndF1OpenTheHelpOverTheDialog) {
  Open();
  QAbstractButton* button = Button("helpButton");
  ASSERT_NE(button, nullptr);
  EXPECT_FALSE(button->accessibleName().isEmpty());
  EXPECT_FALSE(button->accessibleName().contains(u'&'));
  for (const HelpAsk& ask :
       {HelpAsk{"button", "helpButton", true}, HelpAsk{"F1 in a path", "path1Edit", false},
        HelpAsk{"F1 in the backup maximum", "backupMaxEdit", false},
        HelpAsk{"F1 on a check box", "skipUnchangedCheck", false},
        HelpAsk{"F1 on OK", "okButton", false}}) {
    SCOPED_TRACE(ask.how);
    // Shortcuts go to the active window, which the help was until it closed.
    QApplication::setActiveWindow(dialog_.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog_.get()));
    QString opened;
    QWidget* parent = nullptr;
    const WhenModalShown closer([&](QWidget* modal) {
      opened = modal->objectName();
      parent = modal->parentWidget();
      static_cast<QDialog*>(modal)->accept();
    });
    QWidget* focus = Find<QWidget>(ask.focus);
    focus->setFocus();
    if (ask.click) {
      Click(ask.focus);
    } else {
      QTest::keyClick(focus, Qt::Key_F1);
    }
    EXPECT_TRUE(closer.Acted());
    EXPECT_EQ(opened, QStringLiteral("helpDialog"));
    EXPECT_EQ(parent, dialog_.get());
    EXPECT_TRUE(dialog_->isVisible()) << "the main dialog stays open";
    EXPECT_TRUE(messages_.shown.isEmpty());
  }
}

}  // namespace
}  // namespace palvarin::test
