#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

namespace palvarin {

// How many items of a folder job run at once. More than the cores: a pair spends much of its
// time waiting for its file to reach the disk, and those waits overlap.
unsigned FolderWorkers();

// Input bytes that may be loaded at once across the running items; one larger item runs alone.
inline constexpr std::uint64_t kParallelBytesBudget = 64u << 20;

// Runs work(i) for every index of `weights` on up to `workers` threads, started in index order.
// An item's weight counts against `budget` while it runs, so large histories are not held in
// memory side by side; an item heavier than the budget waits until nothing else runs. The first
// exception an item throws is thrown here once all threads have stopped.
void RunInParallel(std::span<const std::uint64_t> weights, unsigned workers, std::uint64_t budget,
                   const std::function<void(std::size_t)>& work);
// The same for `count` items, each weight asked of `weightOf` (which must not throw) once, when
// its item is the next to start: weights that look at the disk are not all taken before the
// first item can start.
void RunInParallel(std::size_t count, const std::function<std::uint64_t(std::size_t)>& weightOf,
                   unsigned workers, std::uint64_t budget,
                   const std::function<void(std::size_t)>& work);

}  // namespace palvarin
