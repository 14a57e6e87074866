#include "job_folders.hpp"

namespace palvarin {

std::string FolderPrefix(const std::string& folder) {
  return folder.ends_with('/') ? folder : folder + "/";
}

std::set<std::string> HistoriesListed(const Result<FolderMembers>& listed,
                                      std::vector<JobWarning>& warnings) {
  if (!listed) {
    warnings.push_back({JobWarning::Kind::FolderNotRead, listed.reason()});
    return {};
  }
  return {listed->histories.begin(), listed->histories.end()};
}

std::set<std::string> ListHistoryFiles(const std::string& folder,
                                       std::vector<JobWarning>& warnings) {
  return HistoriesListed(ListFolderMembers(folder), warnings);
}

JobFolders ListJobFolders(const std::string& first, const std::string& second,
                          const std::string& output) {
  JobFolders folders{{first, second, output}, {}};
  for (const std::string& path : folders.paths) {
    folders.listed.push_back(ListFolderMembers(FolderPrefix(path)));
  }
  return folders;
}

}  // namespace palvarin
