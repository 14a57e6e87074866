#pragma once

#include <cstdint>
#include <limits>
#include <map>
#include <string>

namespace palvarin::bench {

// What is timed on each case: the merge, the pugixml parse floor (one input after the other),
// for file cases the load floor (both inputs parsed at once, one thread each, as the merge
// reads them), xmllint as a peer, the durable write floor (the merged output's bytes written
// the way the program writes files; for folders one flushed new file per name, as many at
// once as a folder job runs pairs), and when given another build of the program to compare
// with, its merge.
enum class Tool { kMerge, kFloor, kLoadFloor, kXmllint, kWriteFloor, kBaseline };

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
