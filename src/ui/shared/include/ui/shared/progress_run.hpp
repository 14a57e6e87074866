#pragma once

#include <QCoreApplication>
#include <QThread>
#include <chrono>
#include <memory>
#include <optional>

#include "find/find_history_folders.hpp"
#include "job/job_observer.hpp"
#include "ui/shared/job_progress_dialog.hpp"

namespace palvarin {

// Tells a progress window what a job's threads say: the window is changed on the GUI thread
// only. Calls still queued when the window goes are dropped with it.
class ProgressRelay : public JobObserver {
 public:
  explicit ProgressRelay(JobProgressDialog& window) : window_(&window) {}
  void WaitingForOtherJob() override;
  void ItemStarted(const JobProgress& item) override;
  void ItemFinished(const JobProgress& item) override;
  // The window, as the receiver of what else must go with it.
  JobProgressDialog* Window() const { return window_; }

 private:
  JobProgressDialog* window_;
};

// Tells a progress window how far a walk for history folders has come, a few times a second at
// most (a walk enters thousands of folders a second), and stops the walk on the window's stop
// flag.
class FindRelay : public FindObserver {
 public:
  FindRelay(JobProgressDialog& window, const StopFlag& stop) : window_(&window), stop_(stop) {}
  void FolderEntered(const FindProgress& progress) override;
  bool ShouldStop() override { return stop_.Raised(); }

 private:
  JobProgressDialog* window_;
  const StopFlag& stop_;
  std::optional<std::chrono::steady_clock::time_point> lastSaid_;
};

// Runs `job` on a thread of its own while `window` keeps the GUI thread turning, and returns
// what the job returned once the thread has ended. The job tells the window through a
// ProgressRelay and stops on the window's stop flag.
template <typename Job>
auto RunOffGuiThread(JobProgressDialog& window, Job job) {
  // Held in an optional: a Result has no value until the job gives it one.
  std::optional<decltype(job())> result;
  const std::unique_ptr<QThread> worker(
      QThread::create([&result, &job] { result.emplace(job()); }));
  QObject::connect(worker.get(), &QThread::finished, &window, &JobProgressDialog::Finish);
  worker->start();
  window.exec();
  worker->wait();
  return std::move(*result);
}

}  // namespace palvarin
