#include "parallel_work.hpp"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace palvarin {

unsigned FolderWorkers() {
  const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  return std::min(4 * cores, 16u);
}

void RunInParallel(std::span<const std::uint64_t> weights, unsigned workers, std::uint64_t budget,
                   const std::function<void(std::size_t)>& work) {
  std::mutex mutex;
  std::condition_variable changed;
  std::size_t next = 0;
  std::uint64_t inFlight = 0;
  std::exception_ptr failure;

  const auto loop = [&] {
    std::unique_lock lock(mutex);
    for (;;) {
      changed.wait(lock, [&] {
        return next == weights.size() || failure || inFlight == 0 ||
               inFlight + weights[next] <= budget;
      });
      if (next == weights.size() || failure) return;
      const std::size_t item = next++;
      inFlight += weights[item];
      lock.unlock();
      try {
        work(item);
      } catch (...) {
        lock.lock();
        if (!failure) failure = std::current_exception();
        lock.unlock();
      }
      lock.lock();
      inFlight -= weights[item];
      changed.notify_all();
    }
  };

  const auto threads = std::min<std::size_t>(std::max(1u, workers), weights.size());
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
