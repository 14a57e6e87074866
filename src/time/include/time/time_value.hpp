#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace palvarin {

// Seconds since 1970-01-01 00:00:00 UTC, always built from local calendar fields; 0 is "no time".
using TimeValue = std::int64_t;

// The representable range of a TimeValue: 1970-01-01 00:00:00 to 3000-12-31 23:59:59 UTC.
inline constexpr TimeValue kEarliestTime = 0;
inline constexpr TimeValue kLatestTime = 32535215999;

// Local calendar fields as a history file or a record names them, any of them out of range.
struct LocalFields {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// Local calendar fields to a TimeValue, carrying out-of-range fields over as mktime does; none
// for a moment outside the representable range. A local time that occurs twice (clocks set
// back) gives the earlier moment, every time.
std::optional<TimeValue> TryMakeTime(const LocalFields& fields);

// strftime of the local time of `value`; empty when the pattern is absent, the value is out
// of range, or the result would exceed 127 characters.
std::string FormatTime(TimeValue value, const char* pattern);

}  // namespace palvarin
