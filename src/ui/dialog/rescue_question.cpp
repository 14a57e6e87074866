#include "rescue_question.hpp"

#include "texts/reason_text.hpp"

namespace palvarin {

std::vector<Reason> BrokenOffInputs(const JobReport& report) {
  std::vector<Reason> damaged;
  for (const PairReport& pair : report.pairs) {
    if (pair.outcome == PairOutcome::Failed && pair.problem == PairProblem::NotAHistory &&
        IsBrokenOff(pair.cause)) {
      damaged.push_back(pair.cause);
    }
  }
  return damaged;
}

}  // namespace palvarin
