#include "job_progress_dialog.hpp"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "dialog_strings.hpp"
#include "texts/progress_text.hpp"

namespace palvarin {

JobProgressDialog::JobProgressDialog(StopFlag& stop, QWidget* parent)
    : QDialog(parent), stop_(stop) {
  setObjectName(QStringLiteral("jobProgressDialog"));
  setWindowTitle(ProgressWindowTitle());
  setModal(true);
  bar_ = new QProgressBar(this);
  bar_->setObjectName(QStringLiteral("progressBar"));
  bar_->setRange(0, 0);  // busy until the first item says how many there are
  bar_->setFormat(QStringLiteral("%v / %m"));
  file_ = new QLabel(this);
  file_->setObjectName(QStringLiteral("progressFileLabel"));
  file_->setTextFormat(Qt::PlainText);
  file_->setMinimumWidth(360);
  cancel_ = new QPushButton(ProgressCancelLabel(), this);
  cancel_->setObjectName(QStringLiteral("progressCancelButton"));
  connect(cancel_, &QPushButton::clicked, this, [this] { RequestStop(); });
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(file_);
  layout->addWidget(bar_);
  layout->addWidget(cancel_, 0, Qt::AlignRight);
}

void JobProgressDialog::Show(const JobProgress& item, std::size_t done) {
  const int total = static_cast<int>(item.total);
  if (bar_->maximum() != total) bar_->setRange(0, total);
  // Items of a folder job end out of order: never let the bar go back.
  const int value = static_cast<int>(done);
  if (value > bar_->value()) bar_->setValue(value);
  if (!stop_.Raised()) file_->setText(FromUtf8(ProgressLine(item)));
}

void JobProgressDialog::Started(const JobProgress& item) {
  if (bar_->maximum() != static_cast<int>(item.total)) bar_->setValue(0);
  Show(item, item.finished);
}

void JobProgressDialog::Finished(const JobProgress& item) { Show(item, item.finished); }

void JobProgressDialog::Waiting() { file_->setText(WaitingForOtherJobText()); }

void JobProgressDialog::RequestStop() {
  stop_.Raise();
  cancel_->setEnabled(false);
  file_->setText(FromUtf8(StoppingText()));
}

void JobProgressDialog::Finish() {
  finished_ = true;
  accept();
}

void JobProgressDialog::reject() {
  if (finished_) {
    QDialog::reject();
  } else {
    RequestStop();
  }
}

}  // namespace palvarin
