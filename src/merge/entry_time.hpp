#pragma once

#include <optional>
#include <string_view>

#include "history/local_time_cache.hpp"
#include "history/log_entry.hpp"
#include "history/time_value.hpp"

namespace palvarin {

// An ISO 8601 UTC stamp "YYYY-MM-DDTHH:MM:SS[.fraction]Z" in whole seconds (the fraction is
// dropped); none when malformed or outside 1970-01-01 .. 3000-12-31 UTC.
std::optional<TimeValue> ParseUtcStamp(std::string_view text);

// The time the merge orders and compares an entry by: its "Date" and "Time" where they read
// as a moment, else its "DateTime", which regional date formats need; none without either.
std::optional<TimeValue> EntryTime(LogEntry entry);
// The same from the entry's stamps, converting "Date" and "Time" through `hours`.
std::optional<TimeValue> EntryTime(const EntryStamps& stamps, LocalTimeCache& hours);

}  // namespace palvarin
