#pragma once

#include <atomic>
#include <cstddef>
#include <string>

#include "job/job_observer.hpp"

namespace palvarin {

// What the items of one job share while they run, on any number of threads: the observer
// that follows them, the stop, and whether anything may be written.
class JobContext {
 public:
  JobContext(JobObserver& observer, const StopFlag* stop, bool dryRun)
      : observer_(observer), stop_(stop), dryRun_(dryRun) {}

  bool DryRun() const { return dryRun_; }
  // True once a stop was asked for, through the flag or the observer; it stays true.
  bool StopRequested();
  // True when a stop kept an item from starting.
  bool Stopped() const { return stopped_.load(); }
  JobObserver& Observer() { return observer_; }

 private:
  JobObserver& observer_;
  const StopFlag* stop_;
  bool dryRun_;
  std::atomic<bool> stopped_{false};
};

// The items of one stage of a job, told to the observer as they start and end.
class StageProgress {
 public:
  StageProgress(JobContext& context, JobStage stage, std::size_t total)
      : context_(context), stage_(stage), total_(total) {}

  // Tells the start of item `index` (its file `path`), unless a stop came first and the item
  // is `stoppable`: false then, and the item must not start.
  bool Start(std::size_t index, JobItemKind kind, const std::string& path, bool stoppable = true);
  void Finish(std::size_t index, JobItemKind kind, const std::string& path);

 private:
  JobProgress Describe(std::size_t index, JobItemKind kind, const std::string& path,
                       std::size_t finished) const;

  JobContext& context_;
  JobStage stage_;
  std::size_t total_;
  std::atomic<std::size_t> finished_{0};
};

}  // namespace palvarin
