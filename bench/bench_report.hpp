#pragma once

#include <cstdint>
#include <limits>
#include <map>
#include <string>

namespace palvarin::bench {

// What is timed on each case: the merge, the pugixml parse floor, xmllint as a peer, for
// folder cases the durable write floor (one flushed new file per name, as many at once as a
// folder job runs pairs), and when given another build of the program to compare with, its
// merge.
enum class Tool { kMerge, kFloor, kXmllint, kWriteFloor, kBaseline };

// The best of the repetitions of one tool on one case.
struct Figures {
  double bestSeconds = std::numeric_limits<double>::infinity();
  double cpuSeconds = 0;   // of the best run
  long peakKilobytes = 0;  // the highest of all repetitions
  std::uintmax_t inputBytes = 0;
  int failures = 0;
};

// Figures by case name, then by tool.
using Results = std::map<std::string, std::map<Tool, Figures>>;

// Prints the figures and the verdict on each target as Markdown.
void PrintReport(const Results& results);

}  // namespace palvarin::bench
