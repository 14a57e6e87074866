#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "time/time_value.hpp"

namespace palvarin {

// The 14-digit local time stamp "YYYYmmddHHMMSS" of backup names and merge records; empty
// outside the representable range.
std::string FormatStamp(TimeValue value);

// The moment a stamp of exactly 14 characters names, each field read as LeadingInteger reads
// it; none for a text of any other length and for fields that name no representable moment.
std::optional<TimeValue> ParseStamp(std::string_view stamp);

}  // namespace palvarin
