#pragma once

#include <string>
#include <string_view>

#include "find/find_history_folders.hpp"
#include "job/job_report.hpp"
#include "job/run_export_job.hpp"

namespace palvarin {

// The report as one JSON object (its form: README, "The JSON report").
std::string JobReportJson(const JobReport& report);

// An export's report as one JSON object (its form: README, "Exporting").
std::string ExportReportJson(const ExportReport& report);

// What a walk for histories found, as one JSON object (its form: README, "Finding histories").
std::string FindReportJson(const FindReport& report);

}  // namespace palvarin
