#pragma once

#include <QDialog>

#include "job/job_observer.hpp"

class QLabel;
class QProgressBar;
class QPushButton;

namespace palvarin {

// The window shown while a job runs off the GUI thread: how many items of the job are done out
// of how many, in the label (ProgressLine, with the file last started) and in the bar alike,
// and Cancel, which raises `stop` so that the job ends
// after the items at hand. It closes only when the job has ended (Finish); closing it by the
// window's frame or Escape asks for the stop as Cancel does.
// Object names: "jobProgressDialog", "progressBar", "progressFileLabel", "progressCancelButton".
class JobProgressDialog : public QDialog {
 public:
  JobProgressDialog(StopFlag& stop, QWidget* parent);

  // On the GUI thread: an item has started, or ended.
  void Started(const JobProgress& item);
  void Finished(const JobProgress& item);
  void Waiting();
  // A walk's news, which has no count of items: the label alone, until a stop is asked.
  void Say(const QString& line);
  // The job has ended: the window closes.
  void Finish();

  void reject() override;

 private:
  // Takes the count of `item`, which never goes back while the total stays.
  void Count(const JobProgress& item);
  void Show();
  void RequestStop();

  StopFlag& stop_;
  QProgressBar* bar_;
  QLabel* file_;
  QPushButton* cancel_;
  JobProgress shown_;  // the item last started, with the count shown
  bool finished_ = false;
};

}  // namespace palvarin
