#include "job_locks.hpp"

#include <set>
#include <string>
#include <vector>

#include "job/job_report.hpp"
#include "merge_folders.hpp"

namespace palvarin {
namespace {

// Every path of every name of the two input folders, in the inputs and the output.
std::vector<std::string> FolderJobFiles(const MergeSettings& settings, const std::string& output) {
  std::vector<JobWarning> unused;  // a folder that cannot be listed is reported by the job itself
  std::set<std::string> names = ListHistoryFiles(FolderPrefix(settings.Path1), unused);
  names.merge(ListHistoryFiles(FolderPrefix(settings.Path2), unused));
  std::vector<std::string> paths;
  for (const std::string& folder : {settings.Path1, settings.Path2, output}) {
    for (const std::string& name : names) paths.push_back(FolderPrefix(folder) + name);
  }
  return paths;
}

}  // namespace

Result<> LockJobFiles(const MergeSettings& settings, HistoryLocks& locks,
                      const std::function<void()>& waiting,
                      const std::function<bool()>& keepWaiting) {
  const std::string& output = settings.OutputPath();
  if (settings.InTarget == InTarget::File) {
    return locks.Acquire({settings.Path1, settings.Path2, output}, waiting, keepWaiting);
  }
  for (std::vector<std::string> files = FolderJobFiles(settings, output);;) {
    if (Result<> locked = locks.Acquire(files, waiting, keepWaiting); !locked) return locked;
    std::vector<std::string> now = FolderJobFiles(settings, output);
    if (now == files) return {};
    files = std::move(now);
  }
}

}  // namespace palvarin
