#include "bench_cases.hpp"

namespace palvarin::bench {

std::vector<BenchCase> BenchCases() {
  constexpr std::size_t kMegabyte = 1000 * 1000;
  return {
      {"empty", 0, 0},
      {"file-1mb", 1 * kMegabyte, 0},
      {"file-2mb", 2 * kMegabyte, 0},
      {"file-10mb", 10 * kMegabyte, 0},
      {"file-20mb", 20 * kMegabyte, 0},
      {"file-28mb", 28 * kMegabyte, 0},
      {"file-100mb", 100 * kMegabyte, 0},
      {"file-200mb", 200 * kMegabyte, 0},
      {"folder-1000", 30 * 1000, 1000},
      {"folder-2000", 30 * 1000, 2000},
      {"session-200k", 0, 0, 200000, 3, 5},
      {"session-200k-same", 0, 0, 200000, 0, 0},
  };
}

}  // namespace palvarin::bench
