#pragma once

#include <optional>
#include <string_view>

#include "history/log_entry.hpp"
#include "time/local_time_cache.hpp"
#include "time/time_value.hpp"

namespace palvarin {

// The time the merge orders and compares an entry by: its "Date" and "Time" where they read
// as a moment, else its "DateTime", which regional date formats need; none without either.
std::optional<TimeValue> EntryTime(LogEntry entry);
// The same from the entry's stamps, converting "Date" and "Time" through `hours`.
std::optional<TimeValue> EntryTime(const EntryStamps& stamps, LocalTimeCache& hours);

}  // namespace palvarin
