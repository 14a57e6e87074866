#pragma once

#include <atomic>
#include <cstddef>
#include <string>

namespace palvarin {

// Which part of a job an item belongs to: the merges and one-side copies of the inputs, or, in
// an overwrite job, the merged files of the first input copied over the second; or an export.
enum class JobStage { Merging, CopyingBack, Exporting };

// What an item of a job is.
enum class JobItemKind { Pair, Copy };

// One item of a job as it starts or ends. `index` counts from 0 within the stage; `total` is
// the number of items of the whole job (pairs and copies of every stage, each counted once)
// and `finished` the number of them that had ended when this was said.
struct JobProgress {
  JobStage stage = JobStage::Merging;
  JobItemKind kind = JobItemKind::Pair;
  std::size_t index = 0;
  std::size_t total = 0;
  std::size_t finished = 0;
  std::string name;  // the item's file name, without its folder
};

// What a running job tells its front end while it runs; the front end words it. The progress
// calls and StopRequested come from the threads that work on the items, several at once in a
// folder job, so an observer must take them on any thread.
class JobObserver {
 public:
  virtual ~JobObserver() = default;
  // Another Palvarin job holds files this job needs: called once, before this job waits.
  virtual void WaitingForOtherJob() = 0;
  virtual void ItemStarted(const JobProgress& /*item*/) {}
  virtual void ItemFinished(const JobProgress& /*item*/) {}
  // Asked before each item starts, and again and again while the job waits for another: true
  // starts no further item. Items already running end as they would have, and a merged pair
  // of an overwrite job is still copied back.
  virtual bool StopRequested() { return false; }
};

// A stop that any thread, or a signal handler, may raise: a lock-free flag.
class StopFlag {
 public:
  void Raise() { raised_.store(true, std::memory_order_relaxed); }
  bool Raised() const { return raised_.load(std::memory_order_relaxed); }

 private:
  std::atomic<bool> raised_{false};
  static_assert(std::atomic<bool>::is_always_lock_free);
};

}  // namespace palvarin
