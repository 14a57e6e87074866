#include "history_copy.hpp"

#include <cerrno>
#include <filesystem>
#include <system_error>

namespace palvarin {

bool NameTaken(const std::string& path) {
  std::error_code error;
  return std::filesystem::symlink_status(path, error).type() !=
         std::filesystem::file_type::not_found;
}

CopyReport NewCopyReport(const std::string& from, const std::string& to, bool copyBack) {
  CopyReport copy;
  copy.copyBack = copyBack;
  copy.from = from;
  copy.to = to;
  return copy;
}

CopyReport CopyHistoryFile(const std::string& from, const std::string& to, CopyMode mode,
                           bool copyBack, bool dryRun) {
  CopyReport copy = NewCopyReport(from, to, copyBack);
  if (dryRun) {
    const Result<FileFacts> source = ReadFileFacts(from);
    if (!source) {
      copy.problem = CopyProblem::Failed;
      copy.cause = source.reason();
    } else if (mode == CopyMode::FailIfExists && NameTaken(to)) {
      copy.outcome = CopyOutcome::KeptExisting;
    } else {
      copy.outcome = CopyOutcome::Copied;
    }
    return copy;
  }
  const Result<> result = CopyFile(from, to, mode);
  if (result) {
    copy.outcome = CopyOutcome::Copied;
  } else if (mode == CopyMode::FailIfExists && result.code() == EEXIST) {
    copy.outcome = CopyOutcome::KeptExisting;
  } else {
    copy.problem = CopyProblem::Failed;
    copy.cause = result.reason();
  }
  return copy;
}

}  // namespace palvarin
