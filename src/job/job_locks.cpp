#include "job_locks.hpp"

#include <set>
#include <string>
#include <vector>

#include "job/job_report.hpp"
#include "merge_folders.hpp"

namespace palvarin {
namespace {

// Every name of the two input folders.
std::vector<std::string> FolderJobNames(const JobOptions& job) {
  std::vector<JobWarning> unused;  // a folder that cannot be listed is reported by the job itself
  std::set<std::string> names = ListHistoryFiles(FolderPrefix(job.first), unused);
  names.merge(ListHistoryFiles(FolderPrefix(job.second), unused));
  return {names.begin(), names.end()};
}

}  // namespace

Result<> LockJobFiles(const JobOptions& job, HistoryLocks& locks,
                      const std::function<void()>& waiting,
                      const std::function<bool()>& keepWaiting) {
  const std::string& output = job.Output();
  if (!job.folders) {
    return locks.Acquire({job.first, job.second, output}, waiting, keepWaiting);
  }
  const std::vector<std::string> folders{job.first, job.second, output};
  for (std::vector<std::string> names = FolderJobNames(job);;) {
    if (Result<> locked = locks.AcquireFolders(folders, names, waiting, keepWaiting); !locked) {
      return locked;
    }
    std::vector<std::string> now = FolderJobNames(job);
    if (now == names) return {};
    names = std::move(now);
  }
}

}  // namespace palvarin
