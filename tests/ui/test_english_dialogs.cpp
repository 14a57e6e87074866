// Under every locale that is not Japanese the dialogs, their messages, the pickers and Qt's own
// texts are English: no control shows Japanese, none is left without its text.
#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>

#include "app/message_text.hpp"
#include "support/test_language.hpp"
#include "texts/catalogue.hpp"
#include "texts/help_text.hpp"
#include "ui/dialog/help_dialog.hpp"
#include "ui/shared/dialog_strings.hpp"
#include "ui/shared/path_chooser.hpp"
#include "ui_fixtures.hpp"

namespace palvarin::test {
namespace {

// Every text a person reads in `window`, by the control's name.
std::map<std::string, QString> ShownTexts(QWidget& window) {
  std::map<std::string, QString> texts{{"window title", window.windowTitle()}};
  for (QWidget* widget : window.findChildren<QWidget*>()) {
    const std::string name = widget->objectName().toStdString();
    if (name.empty()) continue;
    if (auto* label = qobject_cast<QLabel*>(widget)) texts[name] = label->text();
    if (auto* group = qobject_cast<QGroupBox*>(widget)) texts[name] = group->title();
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) texts[name] = button->text();
  }
  return texts;
}

void ExpectEnglish(const std::map<std::string, QString>& texts) {
  for (const auto& [name, text] : texts) {
    EXPECT_FALSE(text.isEmpty()) << name;
    EXPECT_FALSE(HasJapanese(text.toStdString())) << name << ": " << text.toStdString();
  }
}

class EnglishDialogTest : public DialogTest {
 protected:
  void SetUp() override { ASSERT_EQ(TextLanguage(), "en") << "run under an English locale"; }
};

TEST_F(EnglishDialogTest, MainDialogInBothInputKinds) {
  Open();
  const auto folderTexts = ShownTexts(*dialog_);
  EXPECT_GE(folderTexts.size(), 20u);
  ExpectEnglish(folderTexts);
  Click("fileRadio");
  const auto fileTexts = ShownTexts(*dialog_);
  ExpectEnglish(fileTexts);
  for (const char* relabelled : {"pathsGroup", "path1Label", "path2Label", "otherOutputRadio"}) {
    EXPECT_NE(folderTexts.at(relabelled), fileTexts.at(relabelled)) << relabelled;
  }
}

// The mnemonics still lead somewhere: each label with a buddy and each button has one, and
// no two controls share a letter.
TEST_F(EnglishDialogTest, MnemonicsAreThereAndDistinct) {
  Open();
  std::map<QChar, std::string> taken;
  for (const auto& [name, text] : ShownTexts(*dialog_)) {
    const qsizetype at = text.indexOf(u'&');
    if (at < 0 || at + 1 >= text.size()) continue;
    const QChar key = text.at(at + 1).toLower();
    EXPECT_TRUE(taken.emplace(key, name).second)
        << name << " and " << taken[key] << " share &" << QString(key).toStdString();
  }
  for (const char* name : {"folderRadio", "fileRadio", "path1Label", "path2Label",
                           "otherOutputRadio", "overwriteRadio", "pathSaveLabel", "backupCheck",
                           "backupMaxLabel", "skipUnchangedCheck", "ignoreOldMergeLabel"}) {
    EXPECT_TRUE(Text(name).contains(u'&')) << name;
  }
}

TEST_F(EnglishDialogTest, MessagesOfTheDialog) {
  Open();
  Click("okButton");
  ASSERT_EQ(messages_.shown.size(), 1);
  EXPECT_EQ(messages_.shown[0],
            MessageQText(kMessageNoPath) + u'\n' +
                FromUtf8(RefusalDetail({RefusalKind::NoPath, PathField::First, {}})));
  EXPECT_FALSE(HasJapanese(messages_.shown[0].toStdString()));
  Type("backupMaxEdit", QStringLiteral("101"));
  Click("okButton");
  ASSERT_EQ(messages_.shown.size(), 2);
  EXPECT_EQ(messages_.shown[1], BackupMaxRangeMessage());
  EXPECT_FALSE(HasJapanese(messages_.shown[1].toStdString()));
}

TEST_F(EnglishDialogTest, EveryTextOfTheDialogsHasNoJapanese) {
  const QString texts[] = {
      HistoryFileFilter(),
      FolderBrowserTitle(),
      BackupMaxRangeMessage(),
      WaitingForOtherJobText(),
      ProgressWindowTitle(),
      ProgressCancelLabel(),
      ResultsWindowTitle(false),
      ResultsWindowTitle(true),
      ResultsColumnOutcome(),
      ResultsColumnInput(false),
      ResultsColumnInput(true),
      ResultsColumnSecondInput(),
      ResultsColumnOutput(),
      ResultsColumnDetail(),
      ResultsDetailsName(),
      HelpButtonText(),
      HelpButtonName(),
      HelpButtonTip(),
      ArchivedEntriesNote(1),
      ArchivedEntriesNote(2),
      TextsFor(InTarget::File).pathsGroup,
      TextsFor(InTarget::Folder).pathsGroup,
  };
  for (const QString& text : texts) {
    EXPECT_FALSE(text.isEmpty());
    EXPECT_FALSE(HasJapanese(text.toStdString())) << text.toStdString();
  }
  EXPECT_NE(ArchivedEntriesNote(1), ArchivedEntriesNote(2).replace(u'2', u'1'))
      << "one entry, two entries";
}

// What the end message adds: the counts that are not 0, each in its number.
TEST(EnglishEndNotes, CountEachKindInItsNumber) {
  ASSERT_EQ(TextLanguage(), "en");
  const struct {
    QString note;
    const char* english;
  } rows[] = {
      {FailedItemsNote(1, 0), "1 pair failed. The results window shows why."},
      {FailedItemsNote(0, 2), "2 copies failed. The results window shows why."},
      {FailedItemsNote(1'000, 1), "1,000 pairs and 1 copy failed. The results window shows why."},
      {StoppedJobNote(1, 0),
       "The job was stopped before it was done: 1 pair was not started and was left untouched."},
      {StoppedJobNote(2, 1),
       "The job was stopped before it was done: 2 pairs and 1 copy were not started and were "
       "left untouched."},
      {StoppedJobNote(0, 0),
       "The job was stopped after every pair and copy had started, so all of them ran."},
  };
  for (const auto& row : rows) EXPECT_EQ(row.note.toStdString(), row.english);
}

TEST(EnglishHelpDialog, ShowsTheEnglishBlocks) {
  ASSERT_EQ(TextLanguage(), "en");
  HelpDialog dialog;
  dialog.show();
  const auto texts = ShownTexts(dialog);
  ExpectEnglish(texts);
  for (std::size_t i = 0; i < HelpBlocks().size(); ++i) {
    EXPECT_EQ(texts.at("helpBlock" + std::to_string(i + 1)).toStdString(),
              std::string(ShownHelpBlock(HelpBlocks()[i])));
  }
}

TEST(EnglishPickers, FilterTitleAndQtsOwnTextsAreEnglish) {
  ASSERT_EQ(TextLanguage(), "en");
  QFileDialog picker;
  picker.setOption(QFileDialog::DontUseNativeDialog);
  ConfigureFilePicker(picker, QStringLiteral("/tmp/a.xml"));
  ASSERT_EQ(picker.nameFilters().size(), 2);
  for (const QString& filter : picker.nameFilters()) {
    EXPECT_FALSE(HasJapanese(filter.toStdString())) << filter.toStdString();
  }
  EXPECT_TRUE(picker.nameFilters()[0].endsWith(QStringLiteral("(*.xml)")));
  auto* buttons = picker.findChild<QDialogButtonBox*>();
  ASSERT_NE(buttons, nullptr);
  for (QAbstractButton* button : buttons->buttons()) {
    EXPECT_FALSE(HasJapanese(button->text().toStdString())) << button->text().toStdString();
  }
  QFileDialog browser;
  browser.setOption(QFileDialog::DontUseNativeDialog);
  ConfigureFolderBrowser(browser, {});
  EXPECT_FALSE(browser.windowTitle().isEmpty());
  EXPECT_FALSE(HasJapanese(browser.windowTitle().toStdString()));
}

}  // namespace
}  // namespace palvarin::test
