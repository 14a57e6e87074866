// The main dialog's controls: first-run state, loaded settings, relabelling, enabling rules,
// tab order.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "ui_fixtures.hpp"

namespace palvarin::test {
namespace {

using StateTest = DialogTest;

struct ControlRow {
  const char* name;
  const char* text;
  bool enabled;
  int checked;  // 1 checked, 0 not, -1 not a check box or radio button
};

// The first run, control by control: folder mode, output over the inputs, backups on.
TEST_F(StateTest, FirstRunShowsTheDefaultsControlByControl) {
  OpenFromProfile();
  const ControlRow rows[] = {
      {"inputGroup", "マージ対象", true, -1},
      {"folderRadio", "フォルダ(&D)", true, 1},
      {"fileRadio", "ファイル(&F)", true, 0},
      {"pathsGroup", "マージするMSN Messangerのフォルダ", true, -1},
      {"path1Label", "元フォルダ1(&1)", true, -1},
      {"path1Edit", "", true, -1},
      {"path1Browse", "...", true, -1},
      {"path2Label", "元フォルダ2(&2)", true, -1},
      {"path2Edit", "", true, -1},
      {"path2Browse", "...", true, -1},
      {"outputGroup", "出力先", true, -1},
      {"otherOutputRadio", "別フォルダに出力(&O)", true, 0},
      {"overwriteRadio", "元ファイルを上書き(&W)", true, 1},
      {"pathSaveLabel", "出力先(&S)", false, -1},
      {"pathSaveEdit", "", false, -1},
      {"pathSaveBrowse", "...", false, -1},
      {"backupCheck", "元ファイルをバックアップとして保存する(&B)", true, 1},
      {"backupMaxLabel", "バックアップファイルの最大数(&M)", true, -1},
      {"backupMaxEdit", "0", true, -1},
      {"backupMaxNote", "※これ以上の数は古いものから削除される。0の場合、削除しない。", true, -1},
      {"rulesGroup", "その他設定", true, -1},
      {"skipUnchangedCheck", "ファイルサイズ、更新日時が同じ場合はマージを行わない(&Y)", true, 1},
      {"ignoreOldMergeCheck", "片方のファイルに、前回マージした日時より古いメッセージがある場合、",
       true, 1},
      {"ignoreOldMergeLabel",
       "もう一方のファイルでアーカイブが作成されたとみなし、マージ後のファイルにそのメッセージを含"
       "めない(&A)",
       true, -1},
      {"okButton", "OK", true, -1},
      {"cancelButton", "キャンセル", true, -1},
      {"helpButton", "ヘルプ(&H)", true, -1},
      {"readButton", "履歴の閲覧(&R)...", true, -1},
  };
  for (const ControlRow& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(Text(row.name), QString::fromUtf8(row.text));
    EXPECT_EQ(Find<QWidget>(row.name)->isEnabled(), row.enabled);
    if (row.checked >= 0) {
      EXPECT_EQ(Button(row.name)->isChecked(), row.checked == 1);
    }
  }
  EXPECT_EQ(dialog_->windowTitle(), QStringLiteral("Palvarin"));
  EXPECT_TRUE(Find<QPushButton>("okButton")->isDefault());
  EXPECT_EQ(dialog_->focusWidget(), Find<QWidget>("path1Edit"));
}

// Each label's mnemonic leads to its control; the second line of the archive rule's text
// leads to its check box.
TEST_F(StateTest, LabelsLeadToTheirControls) {
  Open();
  const std::pair<const char*, const char*> pairs[] = {
      {"path1Label", "path1Edit"},
      {"path2Label", "path2Edit"},
      {"pathSaveLabel", "pathSaveEdit"},
      {"backupMaxLabel", "backupMaxEdit"},
      {"ignoreOldMergeLabel", "ignoreOldMergeCheck"}};
  for (const auto& [label, control] : pairs) {
    EXPECT_EQ(Find<QLabel>(label)->buddy(), Find<QWidget>(control)) << label;
  }
}

TEST_F(StateTest, ShowsLoadedSettingsAndReadsThemBackUnchanged) {
  MergeSettings settings;
  settings.Path1 = "/home/a/履歴 1.xml";
  settings.Path2 = "  /media/b.xml";
  settings.PathSave = "/tmp/out.xml";
  settings.InTarget = InTarget::File;
  settings.OutTarget = OutTarget::OtherFile;
  settings.CreateBackup = false;
  settings.BackupMax = 7;
  settings.NotMergeSameDatetime = false;
  settings.IgnoreOldMerge = false;
  settings.FindEchoes = false;
  Open(settings);

  EXPECT_EQ(Text("path1Edit"), QStringLiteral("/home/a/履歴 1.xml"));
  EXPECT_EQ(Text("path2Edit"), QStringLiteral("  /media/b.xml"));
  EXPECT_EQ(Text("pathSaveEdit"), QStringLiteral("/tmp/out.xml"));
  EXPECT_TRUE(Button("fileRadio")->isChecked());
  EXPECT_TRUE(Button("otherOutputRadio")->isChecked());
  EXPECT_FALSE(Button("backupCheck")->isChecked());
  EXPECT_EQ(Text("backupMaxEdit"), QStringLiteral("7"));
  EXPECT_FALSE(Button("skipUnchangedCheck")->isChecked());
  EXPECT_FALSE(Button("ignoreOldMergeCheck")->isChecked());
  EXPECT_FALSE(Button("findEchoesCheck")->isChecked());
  EXPECT_EQ(Text("pathsGroup"), QStringLiteral("マージするMSN Messangerのファイル"));
  EXPECT_EQ(Text("otherOutputRadio"), QStringLiteral("別ファイルに出力(&O)"));
  EXPECT_TRUE(Find<QWidget>("pathSaveEdit")->isEnabled());
  EXPECT_FALSE(Find<QWidget>("backupCheck")->isEnabled());

  // Reading the controls gives back exactly the record they were filled from.
  Click("otherOutputRadio");
  EXPECT_EQ(dialog_->Settings(), settings);
  EXPECT_TRUE(messages_.shown.isEmpty());
}

TEST_F(StateTest, InputKindRadiosRelabelWithoutTouchingEnabledStates) {
  Open();
  const std::map<QString, bool> enabled = EnabledStates();

  Click("fileRadio");
  EXPECT_EQ(dialog_->Settings().InTarget, InTarget::File);
  EXPECT_EQ(Text("pathsGroup"), QStringLiteral("マージするMSN Messangerのファイル"));
  EXPECT_EQ(Text("path1Label"), QStringLiteral("元ファイル1(&1)"));
  EXPECT_EQ(Text("path2Label"), QStringLiteral("元ファイル2(&2)"));
  EXPECT_EQ(Text("otherOutputRadio"), QStringLiteral("別ファイルに出力(&O)"));
  EXPECT_EQ(EnabledStates(), enabled);

  Click("folderRadio");
  EXPECT_EQ(dialog_->Settings().InTarget, InTarget::Folder);
  EXPECT_EQ(Text("pathsGroup"), QStringLiteral("マージするMSN Messangerのフォルダ"));
  EXPECT_EQ(Text("path1Label"), QStringLiteral("元フォルダ1(&1)"));
  EXPECT_EQ(Text("path2Label"), QStringLiteral("元フォルダ2(&2)"));
  EXPECT_EQ(Text("otherOutputRadio"), QStringLiteral("別フォルダに出力(&O)"));
  EXPECT_EQ(EnabledStates(), enabled);
  EXPECT_TRUE(messages_.shown.isEmpty());
}

struct EnablingRow {
  const char* name;
  OutTarget start;
  bool startBackup;
  std::vector<const char*> clicks;
  bool outputEnabled;  // output path, its button and its label
  bool backupEnabled;  // the backup check box
  bool backupChecked;
  bool maximumEnabled;  // maximum, its label, the note
};

// Names the row in test listings instead of dumping its bytes.
void PrintTo(const EnablingRow& row, std::ostream* out) { *out << row.name; }

class EnablingTest : public DialogTest, public ::testing::WithParamInterface<EnablingRow> {};

TEST_P(EnablingTest, FollowsOutputKindAndBackup) {
  const EnablingRow& row = GetParam();
  MergeSettings settings;
  settings.OutTarget = row.start;
  settings.CreateBackup = row.startBackup;
  Open(settings);
  const QString otherOutputText = Text("otherOutputRadio");
  for (const char* name : row.clicks) Click(name);

  for (const char* name : {"pathSaveEdit", "pathSaveBrowse", "pathSaveLabel"}) {
    EXPECT_EQ(Find<QWidget>(name)->isEnabled(), row.outputEnabled) << name;
  }
  EXPECT_EQ(Find<QWidget>("backupCheck")->isEnabled(), row.backupEnabled);
  // The unchanged skip, like the backups, serves overwrite jobs only.
  EXPECT_EQ(Find<QWidget>("skipUnchangedCheck")->isEnabled(), !row.outputEnabled);
  EXPECT_EQ(Button("backupCheck")->isChecked(), row.backupChecked);
  EXPECT_EQ(dialog_->Settings().CreateBackup, row.backupChecked);
  for (const char* name : {"backupMaxEdit", "backupMaxLabel", "backupMaxNote"}) {
    EXPECT_EQ(Find<QWidget>(name)->isEnabled(), row.maximumEnabled) << name;
  }
  // Always enabled, and a change of output kind does not relabel.
  for (const char* name :
       {"folderRadio", "fileRadio", "path1Edit", "path2Edit", "path1Browse", "path2Browse",
        "otherOutputRadio", "overwriteRadio", "ignoreOldMergeCheck", "okButton"}) {
    EXPECT_TRUE(Find<QWidget>(name)->isEnabled()) << name;
  }
  EXPECT_EQ(Text("otherOutputRadio"), otherOutputText);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, EnablingTest,
    ::testing::Values(
        EnablingRow{"OverwriteWithBackup", OutTarget::OverWrite, true, {}, false, true, true, true},
        EnablingRow{"OtherOutputChosen",
                    OutTarget::OverWrite,
                    true,
                    {"otherOutputRadio"},
                    true,
                    false,
                    true,
                    false},
        EnablingRow{"OtherOutputLoaded", OutTarget::OtherFile, true, {}, true, false, true, false},
        EnablingRow{"BackupCleared",
                    OutTarget::OverWrite,
                    true,
                    {"backupCheck"},
                    false,
                    true,
                    false,
                    false},
        EnablingRow{"BackupSetAgain",
                    OutTarget::OverWrite,
                    false,
                    {"backupCheck"},
                    false,
                    true,
                    true,
                    true},
        EnablingRow{"ClearedBackupKeptWhileDisabled",
                    OutTarget::OverWrite,
                    true,
                    {"backupCheck", "otherOutputRadio"},
                    true,
                    false,
                    false,
                    false},
        EnablingRow{"ClearedBackupBackInOverwrite",
                    OutTarget::OverWrite,
                    true,
                    {"backupCheck", "otherOutputRadio", "overwriteRadio"},
                    false,
                    true,
                    false,
                    false},
        EnablingRow{"SetBackupBackInOverwrite",
                    OutTarget::OtherFile,
                    true,
                    {"overwriteRadio"},
                    false,
                    true,
                    true,
                    true}),
    RowName);

struct TabRow {
  const char* name;
  OutTarget output;
  std::vector<const char*> order;
};

// Names the row in test listings instead of dumping its bytes.
void PrintTo(const TabRow& row, std::ostream* out) { *out << row.name; }

class TabOrderTest : public DialogTest, public ::testing::WithParamInterface<TabRow> {};

// Tab visits the edits, browse buttons, check boxes and push buttons in template order,
// skipping disabled controls and the radio buttons.
TEST_P(TabOrderTest, VisitsTheTabStopsInOrder) {
  MergeSettings settings;
  settings.OutTarget = GetParam().output;
  Open(settings);
  QApplication::setActiveWindow(dialog_.get());
  ASSERT_TRUE(QTest::qWaitForWindowActive(dialog_.get()));
  for (const char* expected : GetParam().order) {
    ASSERT_NE(dialog_->focusWidget(), nullptr);
    EXPECT_EQ(dialog_->focusWidget()->objectName(), QString::fromLatin1(expected));
    QTest::keyClick(dialog_->focusWidget(), Qt::Key_Tab);
  }
  EXPECT_EQ(dialog_->focusWidget()->objectName(), QStringLiteral("path1Edit"));
}

INSTANTIATE_TEST_SUITE_P(
    Modes, TabOrderTest,
    ::testing::Values(
        TabRow{"Overwrite",
               OutTarget::OverWrite,
               {"path1Edit", "path1Browse", "path2Edit", "path2Browse", "backupCheck",
                "backupMaxEdit", "skipUnchangedCheck", "ignoreOldMergeCheck", "findEchoesCheck",
                "okButton", "cancelButton", "helpButton", "gatherButton", "readButton"}},
        TabRow{"OtherOutput",
               OutTarget::OtherFile,
               {"path1Edit", "path1Browse", "path2Edit", "path2Browse", "pathSaveEdit",
                "pathSaveBrowse", "ignoreOldMergeCheck", "findEchoesCheck", "okButton",
                "cancelButton", "helpButton", "gatherButton", "readButton"}}),
    RowName);

}  // namespace
}  // namespace palvarin::test
