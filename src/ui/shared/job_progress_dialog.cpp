#include "ui/shared/job_progress_dialog.hpp"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "texts/progress_text.hpp"
#include "ui/shared/dialog_strings.hpp"

namespace palvarin {

JobProgressDialog::JobProgressDialog(StopFlag& stop, QWidget* parent)
    : QDialog(parent), stop_(stop) {
  setObjectName(QStringLiteral("jobProgressDialog"));
  setWindowTitle(ProgressWindowTitle());
  setModal(true);
  bar_ = new QProgressBar(this);
  bar_->setObjectName(QStringLiteral("progressBar"));
  bar_->setRange(0, 0);  // busy until the first item says how many there are
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

void JobProgressDialog::Count(const JobProgress& item) {
  if (item.total != shown_.total) {
    shown_.total = item.total;
    shown_.finished = item.finished;
  } else {
    // Items of a folder job end out of order, and their news may come late.
    shown_.finished = std::max(shown_.finished, item.finished);
  }
}

void JobProgressDialog::Show() {
  // The label first, so that whoever watches the bar finds the label saying the same.
  if (!stop_.Raised()) file_->setText(FromUtf8(ProgressLine(shown_)));
  const int total = static_cast<int>(shown_.total);
  if (bar_->maximum() != total) bar_->setRange(0, total);
  // The bar's numbers written as the label writes them ("1,000").
  bar_->setFormat(FromUtf8(FormatCount(shown_.finished) + " / " + FormatCount(shown_.total)));
  bar_->setValue(static_cast<int>(shown_.finished));
}

void JobProgressDialog::Started(const JobProgress& item) {
  Count(item);
  shown_.stage = item.stage;
  shown_.kind = item.kind;
  shown_.index = item.index;
  shown_.name = item.name;
  Show();
}

void JobProgressDialog::Finished(const JobProgress& item) {
  Count(item);
  Show();
}

void JobProgressDialog::Waiting() { file_->setText(WaitingForOtherJobText()); }

void JobProgressDialog::Say(const QString& line) {
  if (!stop_.Raised()) file_->setText(line);
}

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
