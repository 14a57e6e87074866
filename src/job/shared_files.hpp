#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "files/file_ops.hpp"
#include "files/folder_listing.hpp"
#include "job/job_report.hpp"

namespace palvarin {

// A folder of a job, with the history names its listing gave (in byte order); none where it
// could not be listed: a folder that may be passed through but not listed still leads to its
// files, so every name is looked for there.
struct JobFolder {
  std::string prefix;
  const std::vector<std::string>* listed;
};

// The history names a folder's listing found, for FolderFiles; none where it failed.
inline const std::vector<std::string>* HistoriesOf(const Result<FolderMembers>& listed) {
  return listed ? &listed->histories : nullptr;
}

// The file of every name in each of a job's folders (by the folders' order, then the names').
struct FolderFiles {
  std::vector<std::string> prefixes;
  std::vector<std::string> names;  // in byte order
  std::vector<std::vector<std::optional<NamedFile>>> files;

  // Each folder that holds names is looked at on a thread of its own: on folders not read
  // lately every look may wait for the disk, and the job waits for all of them.
  FolderFiles(const std::vector<JobFolder>& folders, const std::set<std::string>& allNames);

  // The size of the file of `name` in folder `folder`; 0 where there is none.
  std::uint64_t Size(std::size_t folder, const std::string& name) const;
};

// Two paths that lead to one file.
using SharedPaths = std::pair<std::string, std::string>;

// The names whose file in one of the folders is also the file of another name there: a link
// to another contact's history. Merging or copying either name would write one history over
// the other. Each such name maps to the two paths that lead to one file: the first of the
// name's uses of the first such file, in the folders' order, and the first other use of it.
std::map<std::string, SharedPaths> NamesSharingAFile(const FolderFiles& found);

// Fails `pair`, left alone because its name shares the file `paths` lead to with another name.
void FailAsShared(PairReport& pair, const SharedPaths& paths);

}  // namespace palvarin
