#pragma once

#include <string>

#include "files/file_ops.hpp"
#include "job/job_report.hpp"

namespace palvarin {

// Whether anything, a dangling link included, has the name `path`.
bool NameTaken(const std::string& path);

// A copy's report with its paths and nothing done yet.
CopyReport NewCopyReport(const std::string& from, const std::string& to, bool copyBack);

// Copies one history file and says how it went; a FailIfExists copy onto an existing file
// keeps that file and is no failure. A dry run copies nothing and says what the copy would do.
CopyReport CopyHistoryFile(const std::string& from, const std::string& to, CopyMode mode,
                           bool copyBack, bool dryRun = false);

}  // namespace palvarin
