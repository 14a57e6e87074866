#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>

#include "history/log_entry.hpp"
#include "time/time_value.hpp"

namespace palvarin {

// The plain conversions the program once had, kept as references for the tests.

// Raised when calendar fields name a moment outside the representable range.
class InvalidTimeError : public std::runtime_error {
 public:
  static constexpr std::uint32_t kStatus = 0x80070057;
  InvalidTimeError() : std::runtime_error("time stamp outside 1970-01-01 .. 3000-12-31") {}
  std::uint32_t Status() const { return kStatus; }
};

// TryMakeTime of the fields, raising InvalidTimeError where it gives none.
TimeValue MakeTime(int year, int month, int day, int hour, int minute, int second);

// The platform calendar record; day of week and milliseconds are not used.
struct CalendarRecord {
  std::uint16_t year = 0, month = 0, dayOfWeek = 0, day = 0;
  std::uint16_t hour = 0, minute = 0, second = 0, milliseconds = 0;
};

// A calendar record to a TimeValue; 0 for a year before 1900. Raises InvalidTimeError.
TimeValue TimeFromCalendar(const CalendarRecord& record);

// The entry's time from its "Date" (year/month/day) and "Time" (hour:minute:second);
// none when either is missing or lacks its two separators. Raises InvalidTimeError.
std::optional<TimeValue> ParseEntryTime(LogEntry entry);

}  // namespace palvarin
