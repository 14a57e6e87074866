#include "message_presenter.hpp"

#include <QMessageBox>

#include "dialog_strings.hpp"
#include "job_results_dialog.hpp"
#include "texts/string_table.hpp"

namespace palvarin {

std::unique_ptr<QMessageBox> MakeWarningBox(QWidget* parent, const QString& text) {
  auto box = std::make_unique<QMessageBox>(QMessageBox::Warning, FromUtf8(kApplicationName),
                                           QString(), QMessageBox::Ok, parent);
  // Paths in messages may hold "<" or "&": never read them as markup.
  box->setTextFormat(Qt::PlainText);
  box->setText(text);
  return box;
}

void MessageBoxPresenter::Show(QWidget* parent, const QString& text) {
  MakeWarningBox(parent, text)->exec();
}

void MessageBoxPresenter::ShowResults(QWidget* parent, const JobReport& report) {
  JobResultsDialog(report, parent).exec();
}

}  // namespace palvarin
