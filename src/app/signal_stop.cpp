#include "signal_stop.hpp"

#include <atomic>

namespace palvarin {
namespace {

std::atomic<StopFlag*> gStop{nullptr};
std::atomic<int> gCaught{0};
static_assert(std::atomic<StopFlag*>::is_always_lock_free && std::atomic<int>::is_always_lock_free);

extern "C" void OnStopSignal(int signal) {
  int none = 0;
  gCaught.compare_exchange_strong(none, signal);
  if (StopFlag* stop = gStop.load()) stop->Raise();
}

void Install(int signal, struct sigaction& old) {
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  // Restarted system calls: the job's reads and writes never see an interruption. Reset after
  // the first: a second signal of the kind takes its default action.
  action.sa_flags = SA_RESTART | SA_RESETHAND;
  ::sigaction(signal, &action, &old);
}

}  // namespace

SignalStop::SignalStop(StopFlag& stop) {
  gCaught.store(0);
  gStop.store(&stop);
  Install(SIGINT, oldInterrupt_);
  Install(SIGTERM, oldTerminate_);
}

SignalStop::~SignalStop() {
  ::sigaction(SIGINT, &oldInterrupt_, nullptr);
  ::sigaction(SIGTERM, &oldTerminate_, nullptr);
  gStop.store(nullptr);
}

int SignalStop::Caught() const { return gCaught.load(); }

}  // namespace palvarin
