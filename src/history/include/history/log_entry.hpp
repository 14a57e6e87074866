#pragma once

#include <cstdint>
#include <optional>
#include <pugixml.hpp>

#include "time/time_value.hpp"

namespace palvarin {

// One entry: an element child of a document's root. It caches nothing; every read goes to
// the document, which must be held while the entry is used.
struct LogEntry {
  pugi::xml_node node;
};

// The local calendar fields of the entry's "Date" (year/month/day) and "Time"
// (hour:minute:second), not yet converted; none when either is missing or lacks its two
// separators.
std::optional<LocalFields> ReadEntryFields(LogEntry entry);
// The same from the entry's "Date" and "Time" attributes, found already (or empty).
std::optional<LocalFields> ReadEntryFields(pugi::xml_attribute date, pugi::xml_attribute time);

// The leading integer of a "SessionID" attribute; -1 without one (an empty handle).
std::int32_t SessionIdOf(pugi::xml_attribute session);

// The attributes an entry's time and session are read from, found in one pass over them; each
// is the first of its name, as FindAttribute finds it, or empty.
struct EntryStamps {
  pugi::xml_attribute date, time, dateTime, session;
};
EntryStamps ReadEntryStamps(LogEntry entry);

// The leading integer of "SessionID"; -1 when the attribute is missing.
std::int32_t ReadSessionId(LogEntry entry);

}  // namespace palvarin
