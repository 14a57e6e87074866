#pragma once

#include <QObject>
#include <QPointer>
#include <QThread>
#include <memory>
#include <utility>

namespace palvarin {

// Runs `work` on a thread of its own and hands what it returns to `done` on the thread of
// `context`, unless `context` has gone by then. `work` must not reach `context`: it may
// outlive it. The thread deletes itself; the pointer lets its owner wait for it.
template <typename Work, typename Done>
QPointer<QThread> RunInBackground(QObject* context, Work work, Done done) {
  auto result = std::make_shared<decltype(work())>();
  QThread* thread =
      QThread::create([result, work = std::move(work)]() mutable { *result = work(); });
  QObject::connect(thread, &QThread::finished, context,
                   [result, done = std::move(done)]() mutable { done(std::move(*result)); });
  QObject::connect(thread, &QThread::finished, thread, &QObject::deleteLater);
  thread->start();
  return thread;
}

}  // namespace palvarin
