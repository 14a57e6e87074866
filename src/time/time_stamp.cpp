#include "time/time_stamp.hpp"

#include "base/integer_text.hpp"

namespace palvarin {
namespace {

constexpr std::size_t kStampLength = 14;

}  // namespace

std::string FormatStamp(TimeValue value) { return FormatTime(value, "%Y%m%d%H%M%S"); }

std::optional<TimeValue> ParseStamp(std::string_view stamp) {
  if (stamp.size() != kStampLength) return std::nullopt;
  return TryMakeTime({LeadingInteger(stamp.substr(0, 4)), LeadingInteger(stamp.substr(4, 2)),
                      LeadingInteger(stamp.substr(6, 2)), LeadingInteger(stamp.substr(8, 2)),
                      LeadingInteger(stamp.substr(10, 2)), LeadingInteger(stamp.substr(12, 2))});
}

}  // namespace palvarin
