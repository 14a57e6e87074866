#pragma once

#include <optional>
#include <string_view>

namespace palvarin {

// A regional date as written, its field order not yet known unless the year came first.
struct RegionalDate {
  int leading = 0;  // day or month; the month when `yearFirst`
  int middle = 0;   // month or day; the day when `yearFirst`
  int year = 0;     // four digits as written, two digits widened to 1970..2069
  bool yearFirst = false;
};

// A regional time of day on the 24-hour clock.
struct RegionalClock {
  int hour = 0, minute = 0, second = 0;
};

// Three fields split by one of "/", ".", "-" (spaces allowed after it), with an optional
// trailing dot; year first when the first has four digits, else the year last with two or four.
// None for anything else. Field values are not checked against the calendar.
std::optional<RegionalDate> ReadRegionalDate(std::string_view text);

// Hour, two-digit minutes and optional seconds split by ":" or "." (spaces allowed after it), then
// an optional AM/PM marker
// ("PM", "p.m.", any case); none for anything else or any field out of range.
std::optional<RegionalClock> ReadRegionalClock(std::string_view text);

}  // namespace palvarin
