#include "job/job_report.hpp"

#include <algorithm>

#include "files/atomic_file.hpp"

namespace palvarin {

int JobReport::Count(PairOutcome outcome) const {
  return static_cast<int>(std::count_if(pairs.begin(), pairs.end(),
                                        [&](const PairReport& p) { return p.outcome == outcome; }));
}

int JobReport::Count(CopyOutcome outcome) const {
  return static_cast<int>(std::count_if(copies.begin(), copies.end(),
                                        [&](const CopyReport& c) { return c.outcome == outcome; }));
}

bool JobReport::AnyFailed() const {
  const bool foundNothing = std::any_of(warnings.begin(), warnings.end(), [](const JobWarning& w) {
    return w.kind == JobWarning::Kind::NoHistories;
  });
  return Count(PairOutcome::Failed) > 0 || Count(CopyOutcome::Failed) > 0 || foundNothing;
}

int JobReport::ArchivedEntries() const {
  int archived = 0;
  for (const PairReport& pair : pairs) archived += pair.counts.cutOff;
  return archived;
}

Result<> WriteReportFile(const std::string& file, std::string_view contents) {
  AtomicFile out;
  if (out.Open(file) && out.Write(contents) && out.Commit()) return {};
  return out.Status();
}

}  // namespace palvarin
