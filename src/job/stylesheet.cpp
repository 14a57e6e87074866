#include "stylesheet.hpp"

#include "files/file_ops.hpp"
#include "history_copy.hpp"

namespace palvarin {

// Without it, the merged histories would not display as the inputs did.
void CopyStylesheet(const std::vector<std::string>& inputs, const std::string& prefixOut,
                    bool dryRun, JobReport& report) {
  const std::string to = prefixOut + kStylesheetName;
  if (NameTaken(to)) return;
  for (const std::string& prefix : inputs) {
    const std::string from = prefix + kStylesheetName;
    if (!PathExists(from)) continue;
    report.copies.push_back(CopyHistoryFile(from, to, CopyMode::FailIfExists, false, dryRun));
    report.copies.back().stylesheet = true;
    return;
  }
}

}  // namespace palvarin
