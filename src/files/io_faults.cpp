#include "files/io_faults.hpp"

#include <unistd.h>

#include <csignal>
#include <cstdlib>

namespace palvarin::faults {
namespace {

struct Plan {
  long count = 0;
  long failAt = 0;
  long crashAt = 0;
  long long bytesLeft = -1;
};

long EnvNumber(const char* name) {
  const char* text = std::getenv(name);
  return text ? std::atol(text) : 0;
}

Plan& CurrentPlan() {
  static Plan plan{0, EnvNumber("PALVARIN_FAULT_AT"), EnvNumber("PALVARIN_CRASH_AT"), -1};
  return plan;
}

}  // namespace

bool Allow(const char* /*what*/) {
  Plan& plan = CurrentPlan();
  ++plan.count;
  if (plan.crashAt != 0 && plan.count == plan.crashAt) {
    ::kill(::getpid(), SIGKILL);
  }
  return plan.count != plan.failAt;
}

std::size_t WritableBytes(std::size_t wanted) {
  Plan& plan = CurrentPlan();
  if (plan.bytesLeft < 0) return wanted;
  const auto granted = static_cast<std::size_t>(plan.bytesLeft) < wanted
                           ? static_cast<std::size_t>(plan.bytesLeft)
                           : wanted;
  plan.bytesLeft -= static_cast<long long>(granted);
  return granted;
}

void Arm(long failAt, long long failAfterBytes) {
  Plan& plan = CurrentPlan();
  plan.count = 0;
  plan.failAt = failAt;
  plan.bytesLeft = failAfterBytes;
}

long OperationCount() { return CurrentPlan().count; }

}  // namespace palvarin::faults
