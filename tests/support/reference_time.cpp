#include "support/reference_time.hpp"

namespace palvarin {

TimeValue MakeTime(int year, int month, int day, int hour, int minute, int second) {
  const auto value = TryMakeTime({year, month, day, hour, minute, second});
  if (!value) throw InvalidTimeError();
  return *value;
}

TimeValue TimeFromCalendar(const CalendarRecord& record) {
  if (record.year < 1900) return 0;
  return MakeTime(record.year, record.month, record.day, record.hour, record.minute, record.second);
}

std::optional<TimeValue> ParseEntryTime(LogEntry entry) {
  const auto fields = ReadEntryFields(entry);
  if (!fields) return std::nullopt;
  return MakeTime(fields->year, fields->month, fields->day, fields->hour, fields->minute,
                  fields->second);
}

}  // namespace palvarin
