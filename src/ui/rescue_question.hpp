#pragma once

#include <vector>

#include "job/job_report.hpp"

class QWidget;

namespace palvarin {

// Why each pair failed that failed only because one of its inputs breaks off: what a rerun
// that merges their whole entries would take.
std::vector<Reason> BrokenOffInputs(const JobReport& report);

// Asks in a modal box ("rescueQuestionBox") whether to merge the whole entries of the inputs
// that break off in `damaged`, each named with where it breaks. No unless the user says Yes.
bool AskToRescue(QWidget* parent, const std::vector<Reason>& damaged);

}  // namespace palvarin
