#include "files/io_faults.hpp"

#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <mutex>

namespace palvarin::faults {
namespace {

long EnvNumber(const char* name) {
  const char* text = std::getenv(name);
  return text ? std::atol(text) : 0;
}

// Folder jobs run pairs on several threads: each operation gets a number of its own.
struct Plan {
  std::atomic<long> count = 0;
  std::atomic<long> failAt = EnvNumber("PALVARIN_FAULT_AT");
  const long crashAt = EnvNumber("PALVARIN_CRASH_AT");
  std::mutex bytesMutex;
  long long bytesLeft = -1;
};

Plan& CurrentPlan() {
  static Plan plan;
  return plan;
}

}  // namespace

bool Allow(const char* /*what*/) {
  Plan& plan = CurrentPlan();
  const long number = ++plan.count;
  if (plan.crashAt != 0 && number == plan.crashAt) {
    ::kill(::getpid(), SIGKILL);
  }
  return number != plan.failAt;
}

std::size_t WritableBytes(std::size_t wanted) {
  Plan& plan = CurrentPlan();
  const std::lock_guard lock(plan.bytesMutex);
  if (plan.bytesLeft < 0) return wanted;
  const auto granted = static_cast<std::size_t>(plan.bytesLeft) < wanted
                           ? static_cast<std::size_t>(plan.bytesLeft)
                           : wanted;
  plan.bytesLeft -= static_cast<long long>(granted);
  return granted;
}

void Arm(long failAt, long long failAfterBytes) {
  Plan& plan = CurrentPlan();
  const std::lock_guard lock(plan.bytesMutex);
  plan.count = 0;
  plan.failAt = failAt;
  plan.bytesLeft = failAfterBytes;
}

long OperationCount() { return CurrentPlan().count; }

}  // namespace palvarin::faults
