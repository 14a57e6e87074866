#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "time/time_value.hpp"

namespace palvarin {

// Appends FormatTime(value, "%Y-%m-%d %H:%M:%S"), or "????-??-?? ??:??:??" for no time or one
// out of range, with the local time of each UTC hour looked up once: a history's entries fall
// into the same hours again and again, and localtime and strftime are slow. An hour is taken
// as a whole only when the arithmetic gives exactly what the C library gives for its first
// and its last second (no change of the clocks, no leap second, no edge of the range inside
// it); other hours are formatted moment by moment. Use one cache while the time zone stays.
class StampCache {
 public:
  void Append(std::string& out, const std::optional<TimeValue>& time);

 private:
  struct Hour {
    std::int64_t index = 0;       // UTC hours since 1970
    std::int64_t localStart = 0;  // its first second on the local calendar
    bool whole = false;
    bool known = false;
  };
  static Hour Learn(std::int64_t index);

  std::array<Hour, 64> hours_{};
};

}  // namespace palvarin
