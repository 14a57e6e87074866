#pragma once

#include <string>
#include <vector>

#include "export/export_format.hpp"
#include "job/run_export_job.hpp"

namespace palvarin {

// The words exported pages and texts hold beside the histories, in the language in use.
ExportWords ExportWordsInUse();

// Why a history's export (or the index) failed or did not start; empty for one exported.
std::string ExportReason(const ExportItem& item);

// One line per history exported (and for the index); then the failures, for standard error;
// then the totals.
std::vector<std::string> DescribeExports(const ExportReport& report);
std::vector<std::string> DescribeExportFailures(const ExportReport& report);
std::string DescribeExportTotals(const ExportReport& report);

}  // namespace palvarin
