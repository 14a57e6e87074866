#pragma once

#include <string>
#include <string_view>

#include "job/job_report.hpp"
#include "job/run_export_job.hpp"

namespace palvarin {

// The report as one JSON object (its form: README, "The JSON report").
std::string JobReportJson(const JobReport& report);

// An export's report as one JSON object (its form: README, "Exporting").
std::string ExportReportJson(const ExportReport& report);

}  // namespace palvarin
