#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

#include "parallel_work.hpp"

namespace palvarin {
namespace {

// What the items saw while they ran.
struct Observed {
  std::mutex mutex;
  std::vector<int> runs;   // per item, how often it ran
  std::vector<int> asked;  // per item, how often its weight was asked
  std::vector<std::size_t> order;
  int running = 0;
  int mostRunning = 0;
  std::uint64_t weight = 0;
  std::uint64_t mostWeight = 0;
  bool heavyRanWithOthers = false;
};

void RunObserved(const std::vector<std::uint64_t>& weights, unsigned workers, std::uint64_t budget,
                 Observed& seen) {
  seen.runs.assign(weights.size(), 0);
  seen.asked.assign(weights.size(), 0);
  const auto weightOf = [&](std::size_t i) {
    ++seen.asked[i];  // asked under the runner's lock
    return weights[i];
  };
  RunInParallel(weights.size(), weightOf, workers, budget, [&](std::size_t i) {
    {
      const std::lock_guard lock(seen.mutex);
      ++seen.runs[i];
      seen.order.push_back(i);
      seen.mostRunning = std::max(seen.mostRunning, ++seen.running);
      seen.weight += weights[i];
      seen.mostWeight = std::max(seen.mostWeight, seen.weight);
      if (weights[i] > budget && seen.running > 1) seen.heavyRanWithOthers = true;
    }
    std::this_thread::sleep_for(std::chrono::microseconds(200 + 37 * (i % 5)));
    const std::lock_guard lock(seen.mutex);
    --seen.running;
    seen.weight -= weights[i];
  });
}

struct Row {
  const char* name;
  std::vector<std::uint64_t> weights;
  unsigned workers;
  std::uint64_t budget;
};

TEST(RunInParallel, RunsEveryItemOnceWithinTheWorkersAndTheBudget) {
  const std::vector<std::uint64_t> light(200, 1);
  std::vector<std::uint64_t> mixed;
  for (int i = 0; i < 120; ++i) mixed.push_back(i % 10 == 3 ? 500 : 10 + i % 7);
  const Row rows[] = {
      {"nothing to do", {}, 4, 100},
      {"one worker", light, 1, 100},
      {"more workers than items", {1, 1, 1}, 16, 100},
      {"many light items", light, 8, 1000},
      {"the budget limits how many run", light, 8, 3},
      {"heavy items run alone", mixed, 6, 100},
      {"every item heavier than the budget", {7, 8, 9, 10, 11, 12}, 4, 5},
      {"weightless items", std::vector<std::uint64_t>(50, 0), 4, 0},
  };
  for (const Row& row : rows) {
    Observed seen;
    RunObserved(row.weights, row.workers, row.budget, seen);
    EXPECT_TRUE(std::all_of(seen.runs.begin(), seen.runs.end(), [](int n) { return n == 1; }))
        << row.name;
    EXPECT_TRUE(std::all_of(seen.asked.begin(), seen.asked.end(), [](int n) { return n == 1; }))
        << row.name;
    EXPECT_EQ(seen.order.size(), row.weights.size()) << row.name;
    EXPECT_LE(seen.mostRunning, static_cast<int>(std::max(1u, row.workers))) << row.name;
    EXPECT_FALSE(seen.heavyRanWithOthers) << row.name;
    const std::uint64_t heaviest =
        row.weights.empty() ? 0 : *std::max_element(row.weights.begin(), row.weights.end());
    EXPECT_LE(seen.mostWeight, std::max(row.budget, heaviest)) << row.name;
    if (row.workers == 1) {
      EXPECT_TRUE(std::is_sorted(seen.order.begin(), seen.order.end())) << row.name;
    }
  }
}

TEST(RunInParallel, ItemsRunSideBySideWhenTheyMay) {
  Observed seen;
  RunObserved(std::vector<std::uint64_t>(64, 1), 4, 100, seen);
  EXPECT_GT(seen.mostRunning, 1);
}

TEST(RunInParallel, AFailingItemStopsTheRestAndIsThrownAfterAllThreadsStopped) {
  std::atomic<int> started = 0;
  std::atomic<int> running = 0;
  std::atomic<bool> runningAtThrow = false;
  const std::vector<std::uint64_t> weights(1000, 1);
  try {
    RunInParallel(weights, 4, 100, [&](std::size_t i) {
      ++started;
      ++running;
      std::this_thread::sleep_for(std::chrono::microseconds(100));
      --running;
      if (i == 10) throw std::runtime_error("item 10 failed");
    });
    ADD_FAILURE() << "the failure was not thrown";
  } catch (const std::runtime_error& error) {
    EXPECT_STREQ(error.what(), "item 10 failed");
    runningAtThrow = running != 0;
  }
  EXPECT_FALSE(runningAtThrow);
  EXPECT_LT(started, 1000) << "items after the failure were still started";
}

}  // namespace
}  // namespace palvarin
