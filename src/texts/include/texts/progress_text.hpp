#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "job/job_observer.hpp"
#include "job/job_report.hpp"

namespace palvarin {

// A count with its thousands separated by commas: "1,000".
std::string FormatCount(std::size_t count);

// How far the job is, and what it is doing as it starts `item`: "119 of 1,000 done — merging
// alice.xml", "2 of 10 done — copying bob.xml", "45 of 80 done — copying back alice.xml". The
// count is the item's `finished` out of its `total`: what a progress bar beside it shows.
std::string ProgressLine(const JobProgress& item);

// Said when a stop was asked for and the job ends after the items at hand.
std::string StoppingText();

// Said once a stopped job has ended: how many pairs and copies it did not start (a gather:
// how many histories).
std::string StoppedText(const JobReport& report);

// One line of the results window: what became of a pair, a copy or a backup, with whole paths.
struct ResultRow {
  std::string outcome;  // "merged", "unchanged", "failed", "not run", "copied", ...
  std::string input;    // a pair's first input, the file a copy reads
  std::string second;   // a pair's second input
  std::string output;   // the file written: merged output, copy, backup made (or the one deleted)
  std::string detail;   // counts, or the reason
  bool failed = false;
};

// Every pair and copy of the report, each followed by the backups its pair made and deleted.
std::vector<ResultRow> ResultRows(const JobReport& report);

}  // namespace palvarin
