#include "ui/shared/progress_run.hpp"

#include "texts/find_text.hpp"
#include "ui/shared/dialog_strings.hpp"

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

void FindRelay::FolderEntered(const FindProgress& progress) {
  constexpr auto kBetweenLines = std::chrono::milliseconds(100);
  const auto now = std::chrono::steady_clock::now();
  if (lastSaid_ && now - *lastSaid_ < kBetweenLines) return;
  lastSaid_ = now;
  QMetaObject::invokeMethod(
      window_,
      [window = window_, line = FromUtf8(FindProgressLine(progress))] { window->Say(line); },
      Qt::QueuedConnection);
}

}  // namespace palvarin
