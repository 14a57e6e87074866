#pragma once

#include <string>
#include <vector>

#include "job/job_report.hpp"

namespace palvarin {

// A pair as the reports name it: "<first> + <second>"; a gather's copies joined so.
std::string PairName(const PairReport& pair);

// One line per pair and per copy, then the totals (a gather's by history); failures name the
// file and the reason.
std::vector<std::string> DescribePairs(const JobReport& report);
std::vector<std::string> DescribeFailures(const JobReport& report);
std::string DescribeTotals(const JobReport& report);
// The entries of a merged pair: how many, in how many sessions, from where, and left out.
std::string DescribeCounts(const MergeCounts& counts);
// The entries a gather wrote for one name: how many, in how many sessions, how many several
// copies held.
std::string DescribeGatheredCounts(const MergeCounts& counts);

// What the gather's copy number `copy` of `pair` gave: how many entries, and how many of them
// it alone held ("12 entries, 3 held by this copy alone").
std::string DescribeCopyCounts(const PairReport& pair, std::size_t copy);

}  // namespace palvarin
