#pragma once

#include <set>
#include <string>
#include <vector>

#include "base/result.hpp"
#include "files/folder_listing.hpp"
#include "job/job_report.hpp"

namespace palvarin {

// The history files of a folder: names longer than ".xml" that end in exactly ".xml".
// A folder that cannot be read adds a warning to `warnings`.
std::set<std::string> ListHistoryFiles(const std::string& folder,
                                       std::vector<JobWarning>& warnings);
// The histories a folder's listing found; none where it failed, and a warning saying why.
std::set<std::string> HistoriesListed(const Result<FolderMembers>& listed,
                                      std::vector<JobWarning>& warnings);

// A folder path ready for joining: one "/" appended unless it ends in one.
std::string FolderPrefix(const std::string& folder);

// A folder job's three folders, both inputs and the output, each with what one listing of it
// found.
struct JobFolders {
  std::vector<std::string> paths;
  std::vector<Result<FolderMembers>> listed;  // in the order of `paths`
};
JobFolders ListJobFolders(const std::string& first, const std::string& second,
                          const std::string& output);

}  // namespace palvarin
