#pragma once

#include <string>

#include "job/job_report.hpp"

namespace palvarin {

// What the job reports as facts, worded in the language in use: the only place where a pair's
// or a copy's problem and a warning become a sentence, for the terminal, the dialog and the JSON.

// Why a pair failed or did not start; for a failure, then what it left as it was and the
// backups it made and deleted all the same (in a dry run, what it would have). Empty for a
// pair without a problem.
std::string PairReason(const PairReport& pair, bool dryRun);

// Why a copy failed or did not start; empty for one that was made or kept.
std::string CopyReason(const CopyReport& copy);

// Whether `reason` says that a history breaks off (its whole entries can be rescued).
bool IsBrokenOff(const Reason& reason);

// What a pair's rescued input gave: where it breaks off, and that only its whole entries were
// merged (in a dry run, would be).
std::string RescuedText(const Reason& damage, bool dryRun);

std::string WarningText(PairWarning warning);
std::string WarningText(const JobWarning& warning);

}  // namespace palvarin
