#include "app/merge_folders.hpp"

#include <filesystem>
#include <map>
#include <system_error>

#include "files/file_ops.hpp"

namespace palvarin {
namespace {

constexpr std::string_view kHistorySuffix = ".xml";

}  // namespace

CopyReport CopyHistoryFile(const std::string& from, const std::string& to, CopyMode mode,
                           bool copyBack) {
  CopyReport copy;
  copy.copyBack = copyBack;
  copy.from = from;
  copy.to = to;
  const FileResult result = CopyFile(from, to, mode);
  if (result) {
    copy.outcome = CopyOutcome::Copied;
  } else if (mode == CopyMode::FailIfExists && result.code == EEXIST) {
    copy.outcome = CopyOutcome::KeptExisting;
  } else {
    copy.reason = result.error;
  }
  return copy;
}

namespace {

// The pair of each first input, to see how it went.
std::map<std::string, PairReport*> PairsByFirstInput(JobReport& report) {
  std::map<std::string, PairReport*> pairs;
  for (PairReport& pair : report.pairs) pairs[pair.first] = &pair;
  return pairs;
}

}  // namespace

std::string FolderPrefix(const std::string& folder) {
  return folder.ends_with('/') ? folder : folder + "/";
}

std::set<std::string> ListHistoryFiles(const std::string& folder, JobReport& report) {
  std::set<std::string> names;
  std::error_code error;
  std::filesystem::directory_iterator it(folder, error);
  for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
    std::string name = it->path().filename().string();
    if (name.size() > kHistorySuffix.size() && name.ends_with(kHistorySuffix)) {
      names.insert(std::move(name));
    }
  }
  if (error) report.warnings.push_back("cannot list " + folder + ": " + error.message());
  return names;
}

void MergeFolders(const std::string& folder1, const std::string& folder2,
                  const std::string& outputFolder, const PairOptions& options,
                  ProfileStore& profile, JobReport& report) {
  const std::string prefix1 = FolderPrefix(folder1);
  const std::string prefix2 = FolderPrefix(folder2);
  const std::string prefixOut = FolderPrefix(outputFolder);
  const std::set<std::string> names1 = ListHistoryFiles(prefix1, report);
  const std::set<std::string> names2 = ListHistoryFiles(prefix2, report);
  for (const std::string& name : names1) {
    if (names2.count(name)) {
      report.pairs.push_back(
          MergeFilePair(prefix1 + name, prefix2 + name, prefixOut + name, options, profile));
    } else if (prefix1 != prefixOut) {
      report.copies.push_back(
          CopyHistoryFile(prefix1 + name, prefixOut + name, CopyMode::FailIfExists, false));
    }
  }
  for (const std::string& name : names2) {
    if (!names1.count(name)) {
      report.copies.push_back(
          CopyHistoryFile(prefix2 + name, prefixOut + name, CopyMode::FailIfExists, false));
    }
  }
}

void CopyFolderBack(const std::string& folder1, const std::string& folder2,
                    ProfileStore& profile, JobReport& report) {
  const std::string prefix1 = FolderPrefix(folder1);
  const std::string prefix2 = FolderPrefix(folder2);
  const std::map<std::string, PairReport*> pairs = PairsByFirstInput(report);
  for (const std::string& name : ListHistoryFiles(prefix1, report)) {
    const auto pair = pairs.find(prefix1 + name);
    PairReport* merged = pair == pairs.end() ? nullptr : pair->second;
    if (merged && merged->outcome != PairOutcome::Merged) continue;
    report.copies.push_back(
        CopyHistoryFile(prefix1 + name, prefix2 + name, CopyMode::Replace, true));
    if (merged && report.copies.back().outcome == CopyOutcome::Copied) {
      RecordMergeTime(*merged, profile);
    }
  }
}

}  // namespace palvarin
