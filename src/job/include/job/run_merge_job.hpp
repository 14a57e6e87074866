#pragma once

#include <optional>

#include "job/job_observer.hpp"
#include "job/job_options.hpp"
#include "job/job_report.hpp"
#include "job/refusal.hpp"

namespace palvarin {

class ProfileStore;

// A job refused by its path checks (a missing path, a file where folders are wanted, a folder
// where files are, or one file or folder given twice), or the report of the job that ran.
struct JobResult {
  std::optional<Refusal> refusal;
  JobReport report;
};

// The first path the job needs that is empty (the output only when it goes elsewhere); none
// when every one is set.
std::optional<Refusal> MissingRequiredPath(const JobOptions& job);

// True when no path the job needs is empty.
bool HasRequiredPaths(const JobOptions& job);

// One merge job: its options and how it runs.
struct JobRequest {
  JobOptions options;
  // Read and merge everything in memory and report it, writing nothing: no output, no backup,
  // no copy and no merge time.
  bool dryRun = false;
  // Raised (by any thread or a signal handler): no further pair starts. The observer's
  // StopRequested stops the job as well.
  const StopFlag* stop = nullptr;
  // Merge a pair whose files have the same size and last-write time even when the options
  // would skip it, for this job only: the stored options keep the skip.
  bool mergeUnchanged = false;
  // Merge the whole entries of a history that breaks off (see PairOptions::rescue).
  bool rescue = false;
};

// Checks the paths against the file system, runs the file or folder job the options ask for,
// and copies the merged first input over the second in overwrite mode. The profile keeps the
// merge times the job records; the settings are the front ends' to store.
// The job's history files are locked against other Palvarin jobs throughout (LockJobFiles);
// `observer` hears when it has to wait for one and follows the items as they run. A stop
// takes effect between items: each pair is merged (and in overwrite mode copied back) whole,
// or left untouched and reported NotRun.
JobResult RunMergeJob(const JobRequest& request, ProfileStore& profile, JobObserver& observer);

}  // namespace palvarin
