#pragma once

#include <string>
#include <vector>

#include "job/job_report.hpp"

namespace palvarin {

// The stylesheet the histories name ("MessageLog.xsl" beside them).
inline constexpr const char* kStylesheetName = "MessageLog.xsl";

// The output folder gets the stylesheet of the first of the folders `inputs` (each a
// FolderPrefix) that has one, unless it holds one already.
void CopyStylesheet(const std::vector<std::string>& inputs, const std::string& prefixOut,
                    bool dryRun, JobReport& report);

}  // namespace palvarin
