#pragma once

#include <optional>

#include "job/job_observer.hpp"
#include "job/job_report.hpp"
#include "job/message_id.hpp"
#include "state/merge_settings.hpp"

namespace palvarin {

class ProfileStore;

// A job refused by its path checks (a missing path, a file where folders are wanted, or a
// folder where files are), or the report of the job that ran.
struct JobResult {
  std::optional<MessageId> refusal;
  JobReport report;
};

// False when the first or second path is empty, or when the output goes elsewhere and its
// path is empty.
bool HasRequiredPaths(const MergeSettings& settings);

// Checks the paths against the file system, runs the file or folder job the settings ask for,
// copies the merged first input over the second in overwrite mode, and saves the settings.
// The job's history files are locked against other Palvarin jobs throughout (LockJobFiles);
// `observer` hears when it has to wait for one.
JobResult RunMergeJob(const MergeSettings& settings, ProfileStore& profile, JobObserver& observer);

}  // namespace palvarin
