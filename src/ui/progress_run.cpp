#include "progress_run.hpp"

namespace palvarin {

void ProgressRelay::WaitingForOtherJob() {
  QMetaObject::invokeMethod(
      window_, [window = window_] { window->Waiting(); }, Qt::QueuedConnection);
}

void ProgressRelay::ItemStarted(const JobProgress& item) {
  QMetaObject::invokeMethod(
      window_, [window = window_, item] { window->Started(item); }, Qt::QueuedConnection);
}

void ProgressRelay::ItemFinished(const JobProgress& item) {
  QMetaObject::invokeMethod(
      window_, [window = window_, item] { window->Finished(item); }, Qt::QueuedConnection);
}

}  // namespace palvarin
