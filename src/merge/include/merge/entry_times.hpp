#pragma once

#include <optional>
#include <vector>

#include "history/log_document.hpp"
#include "time/local_time_cache.hpp"
#include "time/time_value.hpp"

namespace palvarin {

// The moment of every node of a root's children as the merge reads it (EntryList's
// AlignedTime): "Date" and "Time", else "DateTime", else the regional forms of "Date" and
// "Time" read with one field order for the whole file; none for a node that is no element or
// has no readable time.
std::vector<std::optional<TimeValue>> ReadEntryTimes(const NodeList& nodes, LocalTimeCache& hours);

}  // namespace palvarin
