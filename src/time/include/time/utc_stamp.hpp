#pragma once

#include <optional>
#include <string_view>

#include "time/time_value.hpp"

namespace palvarin {

// An ISO 8601 UTC stamp "YYYY-MM-DDTHH:MM:SS[.fraction]Z", as "DateTime" holds it, in whole
// seconds (the fraction is dropped); none when malformed or outside 1970-01-01 .. 3000-12-31 UTC.
std::optional<TimeValue> ParseUtcStamp(std::string_view text);

}  // namespace palvarin
