#include "files/io_faults.hpp"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <mutex>

namespace palvarin::faults {
namespace {

// A shipped program has no hooks: nothing in its environment can make it fail or die.
#ifdef PALVARIN_FAULT_HOOKS
constexpr bool kHooks = true;
#else
constexpr bool kHooks = false;
#endif

long EnvNumber(const char* name) {
  const char* text = kHooks ? std::getenv(name) : nullptr;
  return text ? std::atol(text) : 0;
}

// Folder jobs run pairs on several threads: each operation gets a number of its own.
struct Plan {
  std::atomic<long> count = 0;
  std::atomic<long> failAt = EnvNumber("PALVARIN_FAULT_AT");
  const long crashAt = EnvNumber("PALVARIN_CRASH_AT");
  std::mutex bytesMutex;
  long long bytesLeft = -1;
  std::atomic<long long> readableBytes = -1;
  std::atomic<long> listableMembers = -1;
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

int Flush(int fd) {
  if (!Allow("flush")) {
    errno = EIO;
    return -1;
  }
  return ::fsync(fd);
}

ssize_t Read(int fd, void* buffer, std::size_t size) {
  const long long readable = CurrentPlan().readableBytes;
  if (readable >= 0) {
    const off_t at = ::lseek(fd, 0, SEEK_CUR);
    if (at >= 0) size = std::min(size, static_cast<std::size_t>(std::max(readable - at, 0LL)));
  }
  return ::read(fd, buffer, size);
}

dirent* ReadMember(DIR* folder, std::size_t given) {
  const long listable = CurrentPlan().listableMembers;
  if (listable >= 0 && given >= static_cast<std::size_t>(listable)) {
    errno = EIO;
    return nullptr;
  }
  return ::readdir(folder);
}

void Arm(long failAt, long long failAfterBytes, long long readableBytes, long listableMembers) {
  if (!kHooks) return;
  Plan& plan = CurrentPlan();
  const std::lock_guard lock(plan.bytesMutex);
  plan.count = 0;
  plan.failAt = failAt;
  plan.bytesLeft = failAfterBytes;
  plan.readableBytes = readableBytes;
  plan.listableMembers = listableMembers;
}

long OperationCount() { return CurrentPlan().count; }

}  // namespace palvarin::faults
