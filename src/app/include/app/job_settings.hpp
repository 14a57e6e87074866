#pragma once

#include "job/job_options.hpp"
#include "job/run_merge_job.hpp"
#include "state/merge_settings.hpp"

namespace palvarin {

class ProfileStore;

// The profile's record under the names of what the job does with it.
JobOptions JobOptionsOf(const MergeSettings& settings);

// Stores `settings`, those of the merge job that gave `result`, as the profile's settings when
// the job ran and was no dry run; a failure to store them is noted in the job's report.
void SaveSettingsOfRun(const MergeSettings& settings, JobResult& result, ProfileStore& profile);

}  // namespace palvarin
