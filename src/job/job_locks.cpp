#include "job_locks.hpp"

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "job/job_report.hpp"
#include "job_folders.hpp"

namespace palvarin {
namespace {

// Every history name of the two input folders, in byte order.
std::vector<std::string> FolderJobNames(const JobFolders& folders) {
  static const std::vector<std::string> kNone;
  const auto histories = [&](std::size_t input) -> const std::vector<std::string>& {
    return folders.listed[input] ? folders.listed[input]->histories : kNone;
  };
  std::vector<std::string> names;
  std::set_union(histories(0).begin(), histories(0).end(), histories(1).begin(), histories(1).end(),
                 std::back_inserter(names));
  return names;
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
