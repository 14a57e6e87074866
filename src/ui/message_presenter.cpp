#include "message_presenter.hpp"

#include <QMessageBox>

#include "app/message_text.hpp"
#include "dialog_strings.hpp"
#include "job_results_dialog.hpp"

namespace palvarin {

std::unique_ptr<QMessageBox> MakeMessageBox(QWidget* parent, const QString& text,
                                            MessageIcon icon) {
  const QMessageBox::Icon shown =
      icon == MessageIcon::Information ? QMessageBox::Information : QMessageBox::Warning;
  auto box = std::make_unique<QMessageBox>(shown, FromUtf8(kApplicationName), QString(),
                                           QMessageBox::Ok, parent);
  // Paths in messages may hold "<" or "&": never read them as markup.
  box->setTextFormat(Qt::PlainText);
  box->setText(text);
  return box;
}

void MessageBoxPresenter::Show(QWidget* parent, const QString& text, MessageIcon icon) {
  MakeMessageBox(parent, text, icon)->exec();
}

void MessageBoxPresenter::ShowResults(QWidget* parent, const JobReport& report) {
  JobResultsDialog(report, parent).exec();
}

}  // namespace palvarin
