#include "job_locks.hpp"

#include <set>
#include <string>
#include <vector>

#include "job/job_report.hpp"
#include "merge_folders.hpp"

namespace palvarin {
namespace {

// Every path of every name of the two input folders, in the inputs and the output.
std::vector<std::string> FolderJobFiles(const JobOptions& job, const std::string& output) {
  std::vector<JobWarning> unused;  // a folder that cannot be listed is reported by the job itself
  std::set<std::string> names = ListHistoryFiles(FolderPrefix(job.first), unused);
  names.merge(ListHistoryFiles(FolderPrefix(job.second), unused));
  std::vector<std::string> paths;
  for (const std::string& folder : {job.first, job.second, output}) {
    for (const std::string& name : names) paths.push_back(FolderPrefix(folder) + name);
  }
  return paths;
}

}  // namespace

Result<> LockJobFiles(const JobOptions& job, HistoryLocks& locks,
                      const std::function<void()>& waiting,
                      const std::function<bool()>& keepWaiting) {
  const std::string& output = job.Output();
  if (!job.folders) {
    return locks.Acquire({job.first, job.second, output}, waiting, keepWaiting);
  }
  for (std::vector<std::string> files = FolderJobFiles(job, output);;) {
    if (Result<> locked = locks.Acquire(files, waiting, keepWaiting); !locked) return locked;
    std::vector<std::string> now = FolderJobFiles(job, output);
    if (now == files) return {};
    files = std::move(now);
  }
}

}  // namespace palvarin
