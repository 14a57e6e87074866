#include "history/entry_time.hpp"

#include "history/log_document.hpp"
#include "time/utc_stamp.hpp"

namespace palvarin {

std::optional<TimeValue> EntryTime(const EntryStamps& stamps, LocalTimeCache& hours) {
  // A date written month or day first reads as a year before 1970: use the UTC stamp.
  if (const auto fields = ReadEntryFields(stamps.date, stamps.time)) {
    if (const auto time = hours.Convert(*fields)) return time;
  }
  if (!stamps.dateTime) return std::nullopt;
  return ParseUtcStamp(stamps.dateTime.value());
}

std::optional<TimeValue> EntryTime(LogEntry entry) {
  LocalTimeCache hours;
  return EntryTime(ReadEntryStamps(entry), hours);
}

}  // namespace palvarin
