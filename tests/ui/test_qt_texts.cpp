// Qt's own texts follow the program's language: under a Japanese locale the file dialog and
// the standard buttons are Japanese too.
#include <QDialogButtonBox>
#include <QFileDialog>
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

}  // namespace
}  // namespace palvarin::test
