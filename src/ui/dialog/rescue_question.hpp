#pragma once

#include <vector>

#include "job/job_report.hpp"

namespace palvarin {

// Why each pair failed that failed only because one of its inputs breaks off: what a rerun
// that merges their whole entries would take.
std::vector<Reason> BrokenOffInputs(const JobReport& report);

}  // namespace palvarin
