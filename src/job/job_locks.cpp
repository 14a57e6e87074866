#include "job_locks.hpp"

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "job/job_report.hpp"
#include "merge_folders.hpp"

namespace palvarin {
namespace {

// Every history name of the two input folders.
std::vector<std::string> FolderJobNames(const JobFolders& folders) {
  std::set<std::string> names;
  for (std::size_t input = 0; input < 2; ++input) {
    if (const Result<FolderMembers>& listed = folders.listed[input]) {
      names.insert(listed->histories.begin(), listed->histories.end());
    }
  }
  return {names.begin(), names.end()};
}

// Whether two listings of a folder found the same; two failures count as the same.
bool SameListing(const Result<FolderMembers>& a, const Result<FolderMembers>& b) {
  return a && b ? *a == *b : !a && !b;
}

}  // namespace

Result<> LockJobFiles(const JobOptions& job, HistoryLocks& locks, JobFolders& folders,
                      const std::function<void()>& waiting,
                      const std::function<bool()>& keepWaiting) {
  const std::string& output = job.Output();
  if (!job.folders) {
    return locks.Acquire({job.first, job.second, output}, waiting, keepWaiting);
  }
  folders = ListJobFolders(job.first, job.second, output);
  for (;;) {
    if (Result<> locked = locks.AcquireFolders(folders.paths, folders.listed,
                                               FolderJobNames(folders), waiting, keepWaiting);
        !locked) {
      return locked;
    }
    JobFolders now = ListJobFolders(job.first, job.second, output);
    const bool same =
        std::equal(now.listed.begin(), now.listed.end(), folders.listed.begin(), SameListing);
    folders = std::move(now);
    if (same) return {};
  }
}

}  // namespace palvarin
