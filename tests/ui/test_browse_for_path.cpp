// The browse buttons and the real file picker and folder browser behind them.
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>

#include "ui/shared/dialog_strings.hpp"
#include "ui_fixtures.hpp"

namespace palvarin::test {
namespace {

using Kind = ScriptedPathChooser::Kind;

struct BrowseRow {
  const char* name;
  InTarget input;
  const char* button;
  const char* edit;
  Kind expectedKind;
  std::optional<const char*> answer;  // none: the user cancels
};

// Names the row in test listings instead of dumping its bytes.
void PrintTo(const BrowseRow& row, std::ostream* out) { *out << row.name; }

class BrowseTest : public DialogTest, public ::testing::WithParamInterface<BrowseRow> {};

// The browser follows the input kind, starts from the text in the edit (typed, not yet read),
// and only a choice changes the field; the other fields keep what was typed.
TEST_P(BrowseTest, AsksAfterTheInputKindAndFillsTheFieldOnlyOnAChoice) {
  const BrowseRow& row = GetParam();
  MergeSettings settings;
  settings.InTarget = row.input;
  settings.OutTarget = OutTarget::OtherFile;
  Open(settings);
  const std::map<std::string, QString> typed = {{"path1Edit", QStringLiteral("/typed/one.xml")},
                                                {"path2Edit", QStringLiteral("/typed/two.xml")},
                                                {"pathSaveEdit", QStringLiteral("/typed/save")}};
  for (const auto& [edit, text] : typed) Type(edit.c_str(), text);
  if (row.answer) chooser_.AnswerNext(QString::fromUtf8(*row.answer));

  Click(row.button);

  ASSERT_EQ(chooser_.requests.size(), 1u);
  EXPECT_EQ(chooser_.requests[0].kind, row.expectedKind);
  EXPECT_EQ(chooser_.requests[0].current, typed.at(row.edit));
  for (const auto& [edit, text] : typed) {
    const bool chosen = edit == row.edit && row.answer;
    EXPECT_EQ(Text(edit.c_str()), chosen ? QString::fromUtf8(*row.answer) : text) << edit;
  }
  EXPECT_TRUE(messages_.shown.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Buttons, BrowseTest,
    ::testing::Values(BrowseRow{"FilePath1", InTarget::File, "path1Browse", "path1Edit", Kind::File,
                                "/picked/履歴.xml"},
                      BrowseRow{"FilePath2", InTarget::File, "path2Browse", "path2Edit", Kind::File,
                                "/picked/b.xml"},
                      BrowseRow{"FileOutput", InTarget::File, "pathSaveBrowse", "pathSaveEdit",
                                Kind::File, "/picked/new.xml"},
                      BrowseRow{"FolderPath1", InTarget::Folder, "path1Browse", "path1Edit",
                                Kind::Folder, "/picked/pc1"},
                      BrowseRow{"FolderPath2", InTarget::Folder, "path2Browse", "path2Edit",
                                Kind::Folder, "/picked/pc2"},
                      BrowseRow{"FolderOutput", InTarget::Folder, "pathSaveBrowse", "pathSaveEdit",
                                Kind::Folder, "/picked/out"},
                      BrowseRow{"FileCancelled", InTarget::File, "path1Browse", "path1Edit",
                                Kind::File, std::nullopt},
                      BrowseRow{"FolderCancelled", InTarget::Folder, "pathSaveBrowse",
                                "pathSaveEdit", Kind::Folder, std::nullopt}),
    RowName);

TEST_F(DialogTest, ChosenPathGoesIntoTheRecord) {
  Open();
  chooser_.AnswerNext(QStringLiteral("/picked/pc1"));
  Click("path1Browse");
  EXPECT_EQ(dialog_->Settings().Path1, "/picked/pc1");
}

// The real dialogs, set up as the chooser shows them.
class PickerTest : public ::testing::Test {
 protected:
  TempFolder temp_;
};

TEST_F(PickerTest, FilePickerOpensInTheFolderOfTheCurrentTextWithItsName) {
  const QString folder = QString::fromStdString(temp_.Path().string());
  QFileDialog dialog;
  ConfigureFilePicker(dialog, folder + QStringLiteral("/new.xml"));
  EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptOpen);
  EXPECT_EQ(dialog.fileMode(), QFileDialog::AnyFile);
  EXPECT_EQ(dialog.defaultSuffix(), QStringLiteral("xml"));
  EXPECT_EQ(dialog.nameFilters(),
            (QStringList{QStringLiteral("MSNメッセンジャー履歴ファイル (*.xml)"),
                         QStringLiteral("すべてのファイル (*)")}));
  EXPECT_EQ(dialog.directory().absolutePath(), folder);
  EXPECT_EQ(dialog.selectedFiles(), QStringList{folder + QStringLiteral("/new.xml")});
}

TEST_F(PickerTest, FolderBrowserPreselectsTheCurrentFolder) {
  const std::filesystem::path inner = temp_ / "pc1";
  std::filesystem::create_directory(inner);
  QFileDialog dialog;
  ConfigureFolderBrowser(dialog, QString::fromStdString(inner.string()) + u'/');
  EXPECT_EQ(dialog.windowTitle(), FolderBrowserTitle());
  EXPECT_EQ(dialog.fileMode(), QFileDialog::Directory);
  EXPECT_TRUE(dialog.testOption(QFileDialog::ShowDirsOnly));
  EXPECT_EQ(dialog.directory().absolutePath(), QString::fromStdString(temp_.Path().string()));
  EXPECT_EQ(dialog.selectedFiles(), QStringList{QString::fromStdString(inner.string())});
}

// Accepting the picker with a name that does not exist gives it, with ".xml" added when it
// has no suffix; cancelling gives nothing.
TEST_F(PickerTest, ChooserReturnsNewNamesWithTheDefaultSuffixAndNothingOnCancel) {
  const QString folder = QString::fromStdString(temp_.Path().string());
  DialogPathChooser chooser;
  const WhenModalShown accept([](QWidget* modal) { static_cast<QDialog*>(modal)->accept(); });
  EXPECT_EQ(chooser.ChooseFile(nullptr, folder + QStringLiteral("/merged")),
            folder + QStringLiteral("/merged.xml"));
  EXPECT_TRUE(accept.Acted());

  const WhenModalShown cancel([](QWidget* modal) { static_cast<QDialog*>(modal)->reject(); });
  EXPECT_EQ(chooser.ChooseFolder(nullptr, folder), std::nullopt);
  EXPECT_TRUE(cancel.Acted());
}

}  // namespace
}  // namespace palvarin::test
