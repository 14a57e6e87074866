#include "time/local_time_cache.hpp"

namespace palvarin {
namespace {

bool SameHour(const LocalFields& a, const LocalFields& b) {
  return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour;
}

LocalFields At(LocalFields start, int minute, int second) {
  start.minute = minute;
  start.second = second;
  return start;
}

}  // namespace

// An hour is taken as a whole when its last second lies exactly where its first second says:
// no change of the clocks and no edge of the range inside it.
LocalTimeCache::Hour LocalTimeCache::Learn(const LocalFields& start) {
  Hour hour{start, TryMakeTime(start), true};
  const auto last = TryMakeTime(At(start, 59, 59));
  if (!hour.value || !last || *last != *hour.value + 3599) hour.value.reset();
  return hour;
}

std::optional<TimeValue> LocalTimeCache::Convert(const LocalFields& fields) {
  if (fields.minute < 0 || fields.minute > 59 || fields.second < 0 || fields.second > 59) {
    return TryMakeTime(fields);
  }
  const unsigned slot =
      static_cast<unsigned>(fields.day) * 24u + static_cast<unsigned>(fields.hour);
  Hour& hour = hours_[slot % hours_.size()];
  if (!hour.known || !SameHour(hour.start, fields)) hour = Learn(At(fields, 0, 0));
  if (!hour.value) return TryMakeTime(fields);
  return *hour.value + fields.minute * 60 + fields.second;
}

}  // namespace palvarin
