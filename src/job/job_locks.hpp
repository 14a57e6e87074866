#pragma once

#include <functional>

#include "files/history_locks.hpp"
#include "job/job_options.hpp"
#include "job_folders.hpp"

namespace palvarin {

// Locks every history file the job may read or write, from before it reads any
// until `locks` lets go: both inputs and the output of a file job; for a folder job its
// folders whole, and where a name found in either input folder is a link in one of them, the
// file it leads to. A folder's list is read again once the locks are held (another job may
// have added a link while this one waited) until it stays the same: `folders` gets that
// listing, which the folder job then merges. `waiting` and `keepWaiting` are those of
// HistoryLocks::Acquire. Fails when the locks cannot be kept, or with ECANCELED when
// `keepWaiting` ended a wait.
Result<> LockJobFiles(const JobOptions& job, HistoryLocks& locks, JobFolders& folders,
                      const std::function<void()>& waiting,
                      const std::function<bool()>& keepWaiting);

}  // namespace palvarin
