// Qt's own texts follow the program's language: under a Japanese locale the file dialog and
// the standard buttons are Japanese too.
#include <QAbstractFileIconProvider>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

#include "support/test_language.hpp"
#include "texts/catalogue.hpp"
#include "ui_fixtures.hpp"

namespace palvarin::test {
namespace {

TEST(QtTexts, FileDialogAndStandardButtonsAreJapanese) {
  ASSERT_EQ(TextLanguage(), "ja") << "ui_tests run under a Japanese locale";
  QFileDialog dialog;
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  auto* buttons = dialog.findChild<QDialogButtonBox*>();
  ASSERT_NE(buttons, nullptr);
  QAbstractButton* cancel = buttons->button(QDialogButtonBox::Cancel);
  ASSERT_NE(cancel, nullptr);
  EXPECT_TRUE(HasJapanese(cancel->text().toStdString())) << cancel->text().toStdString();

  QMessageBox box(QMessageBox::Warning, QStringLiteral("Palvarin"), QStringLiteral("x"),
                  QMessageBox::Ok | QMessageBox::Cancel);
  EXPECT_TRUE(HasJapanese(box.button(QMessageBox::Cancel)->text().toStdString()));
}

// The type the file dialog's list shows for a folder ("Folder" in English).
TEST(QtTexts, FileDialogCallsAFolderAFolderInJapanese) {
  ASSERT_EQ(TextLanguage(), "ja");
  TempFolder temp;
  QFileDialog dialog;
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  ASSERT_NE(dialog.iconProvider(), nullptr);
  const QString type =
      dialog.iconProvider()->type(QFileInfo(QString::fromStdString(temp.Path().string())));
  EXPECT_TRUE(HasJapanese(type.toStdString())) << type.toStdString();
}

}  // namespace
}  // namespace palvarin::test
