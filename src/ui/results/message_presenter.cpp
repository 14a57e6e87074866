#include "ui/results/message_presenter.hpp"

#include <QMessageBox>

#include "app/message_text.hpp"
#include "ui/results/job_results_dialog.hpp"
#include "ui/shared/dialog_strings.hpp"

namespace palvarin {

std::unique_ptr<QMessageBox> MakeMessageBox(QWidget* parent, const QString& text,
                                            MessageIcon icon) {
  const bool question = icon == MessageIcon::Question;
  const QMessageBox::Icon shown = question                           ? QMessageBox::Question
                                  : icon == MessageIcon::Information ? QMessageBox::Information
                                                                     : QMessageBox::Warning;
  auto box = std::make_unique<QMessageBox>(
      shown, FromUtf8(kApplicationName), QString(),
      question ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, parent);
  if (question) {
    box->setDefaultButton(QMessageBox::No);
    box->setEscapeButton(QMessageBox::No);
  }
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

bool MessageBoxPresenter::Ask(QWidget* parent, const QString& text) {
  return MakeMessageBox(parent, text, MessageIcon::Question)->exec() == QMessageBox::Yes;
}

}  // namespace palvarin
