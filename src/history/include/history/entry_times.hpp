#pragma once

#include <optional>
#include <string>
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

// The one clock every view of an entry shows (the reader's conversation, the search's hits):
// its `moment` (ReadEntryTimes) on this computer's clock, "YYYY-MM-DD HH:MM:SS", which gives
// back the "Date" and "Time" the history writes; without one, those two as written.
std::string EntryStamp(const std::optional<TimeValue>& moment, pugi::xml_node entry);

}  // namespace palvarin
