#pragma once

#include <cstdint>
#include <optional>
#include <pugixml.hpp>

#include "history/time_value.hpp"

namespace palvarin {

// One entry: an element child of a document's root. It caches nothing; every read goes to
// the document, which must be held while the entry is used.
struct LogEntry {
  pugi::xml_node node;
};

// The entry's time from its "Date" (year/month/day) and "Time" (hour:minute:second);
// none when either is missing or lacks its two separators. Raises InvalidTimeError.
std::optional<TimeValue> ParseEntryTime(LogEntry entry);

// The calendar fields that ParseEntryTime converts, not yet converted; none where it gives none.
std::optional<LocalFields> ReadEntryFields(LogEntry entry);

// The leading integer of "SessionID"; -1 when the attribute is missing.
std::int32_t ReadSessionId(LogEntry entry);

}  // namespace palvarin
