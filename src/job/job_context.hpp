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

  // The items of the whole job, over its stages: each stage adds what it will do before its
  // first item starts (an overwrite job also what it will copy back), and takes back what it
  // found it need not do, so that every item is counted once.
  void Plan(std::size_t items) { planned_ += items; }
  // `was` items planned are `now`, in one step: the total never shows a passing value.
  void Replan(std::size_t was, std::size_t now) { planned_ += now - was; }
  std::size_t Planned() const { return planned_.load(); }
  // Counts an item that has ended; returns how many of the job's items have.
  std::size_t Finish() { return ++finished_; }
  std::size_t Finished() const { return finished_.load(); }

 private:
  JobObserver& observer_;
  const StopFlag* stop_;
  bool dryRun_;
  std::atomic<bool> stopped_{false};
  std::atomic<std::size_t> planned_{0};
  std::atomic<std::size_t> finished_{0};
};

// The items of one stage of a job, told to the observer as they start and end, counted among
// the items of the whole job.
class StageProgress {
 public:
  StageProgress(JobContext& context, JobStage stage) : context_(context), stage_(stage) {}

  // Tells the start of item `index` (its file `path`), unless a stop came first and the item
  // is `stoppable`: false then, and the item must not start.
  bool Start(std::size_t index, JobItemKind kind, const std::string& path, bool stoppable = true);
  void Finish(std::size_t index, JobItemKind kind, const std::string& path);

 private:
  JobProgress Describe(std::size_t index, JobItemKind kind, const std::string& path,
                       std::size_t finished) const;

  JobContext& context_;
  JobStage stage_;
};

}  // namespace palvarin
