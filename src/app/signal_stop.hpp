#pragma once

#include <csignal>

#include "job/job_observer.hpp"

namespace palvarin {

// While it lives, SIGINT and SIGTERM raise `stop` instead of ending the process, so that a
// headless job ends after the pairs at hand. The handler only stores into lock-free atomics.
// A second signal of the same kind ends the process at once: every history is complete on
// the disk at any moment, so nothing is lost either way. The handlers that were there before
// come back when the object ends.
class SignalStop {
 public:
  explicit SignalStop(StopFlag& stop);
  ~SignalStop();
  SignalStop(const SignalStop&) = delete;
  SignalStop& operator=(const SignalStop&) = delete;

  // The signal that raised the stop; 0 when none came.
  int Caught() const;

 private:
  struct sigaction oldInterrupt_ {};
  struct sigaction oldTerminate_ {};
};

}  // namespace palvarin
