#include "parallel_work.hpp"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace palvarin {

unsigned FolderWorkers() {
  const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  return std::min(4 * cores, 16u);
}

void RunInParallel(std::span<const std::uint64_t> weights, unsigned workers, std::uint64_t budget,
                   const std::function<void(std::size_t)>& work) {
  RunInParallel(
      weights.size(), [weights](std::size_t i) { return weights[i]; }, workers, budget, work);
}

void RunInParallel(std::size_t count, const std::function<std::uint64_t(std::size_t)>& weightOf,
                   unsigned workers, std::uint64_t budget,
                   const std::function<void(std::size_t)>& work) {
  std::mutex mutex;
  std::condition_variable changed;
  std::size_t next = 0;
  std::optional<std::uint64_t> nextWeight;  // of item `next`, once asked
  std::uint64_t inFlight = 0;
  std::exception_ptr failure;

  const auto loop = [&] {
    std::unique_lock lock(mutex);
    for (;;) {
      changed.wait(lock, [&] {
        if (next == count || failure) return true;
        if (!nextWeight) nextWeight = weightOf(next);
        return inFlight == 0 || inFlight + *nextWeight <= budget;
      });
      if (next == count || failure) return;
      const std::size_t item = next++;
      const std::uint64_t weight = *nextWeight;
      nextWeight.reset();
      inFlight += weight;
      lock.unlock();
      try {
        work(item);
      } catch (...) {
        lock.lock();
        if (!failure) failure = std::current_exception();
        lock.unlock();
      }
      lock.lock();
      inFlight -= weight;
      changed.notify_all();
    }
  };

  const auto threads = std::min<std::size_t>(std::max(1u, workers), count);
  if (threads <= 1) {
    loop();
  } else {
    std::vector<std::jthread> pool;
    pool.reserve(threads);
    for (std::size_t i = 0; i < threads; ++i) pool.emplace_back(loop);
  }
  if (failure) std::rethrow_exception(failure);
}

}  // namespace palvarin
