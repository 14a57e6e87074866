#pragma once

#include <array>
#include <optional>

#include "time/time_value.hpp"

namespace palvarin {

// TryMakeTime with the conversion of each local hour worked out once: a history names the
// same hours again and again, and mktime is slow. Gives exactly TryMakeTime's results; an
// hour in which the zone changes its clocks is converted moment by moment. Use one cache
// while the time zone stays the same, one merge for instance.
class LocalTimeCache {
 public:
  std::optional<TimeValue> Convert(const LocalFields& fields);

 private:
  struct Hour {
    LocalFields start;               // minute and second 0
    std::optional<TimeValue> value;  // of `start`; none: convert each moment of the hour
    bool known = false;
  };
  static Hour Learn(const LocalFields& start);

  std::array<Hour, 64> hours_{};
};

}  // namespace palvarin
