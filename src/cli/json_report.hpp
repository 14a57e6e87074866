#pragma once

#include <string>
#include <string_view>

#include "job/job_report.hpp"

namespace palvarin {

// `text` as a JSON string with its quotes. Quote, backslash and the control characters
// U+0000..U+001F are escaped; each byte that is not part of well-formed UTF-8 becomes U+FFFD,
// so the result is always valid UTF-8 and valid JSON.
std::string JsonString(std::string_view text);

// The report as one JSON object (its form: README, "The JSON report").
std::string JobReportJson(const JobReport& report);

// Writes JobReportJson to `file` through a flushed temporary file; fails with the reason when
// it cannot.
Result<> WriteJobReportJson(const JobReport& report, const std::string& file);

}  // namespace palvarin
