#pragma once

#include "history/xml_error.hpp"
#include "job/job_report.hpp"

namespace palvarin {

// Runs `work` on one item of a job, which fills `report` and returns whether it went through.
// A history too large for memory stops it with an XmlError: the item then fails with
// PairProblem::OutOfMemory and its reason, its output left as it was, and false is returned.
template <typename Report, typename Work>
bool WithinMemory(Report& report, Work work) {
  try {
    return work();
  } catch (const XmlError& error) {
    report.outcome = decltype(report.outcome)::Failed;
    report.problem = PairProblem::OutOfMemory;
    report.cause = error.Why();
    return false;
  }
}

}  // namespace palvarin
