#pragma once

#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "time/local_time_cache.hpp"
#include "time/time_value.hpp"

namespace palvarin {

// "Date" and "Time" of one entry, as written (either may be empty when missing).
struct RegionalStamp {
  std::string_view date;
  std::string_view time;
};

// Reads the regional forms of one file's entries; result[i] for stamps[i], none where it
// stays unreadable or ambiguous. The local times are converted through `hours`.
// A PC wrote all its dates in one field order, so the order is settled for the whole file:
// a day above 12 in either place proves it, else the order under which the entries run in time
// order; without either, only dates that read the same both ways get a time.
std::vector<std::optional<TimeValue>> ReadRegionalTimes(std::span<const RegionalStamp> stamps,
                                                        LocalTimeCache& hours);

}  // namespace palvarin
