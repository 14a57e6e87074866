#include "history/regional_time.hpp"

#include <chrono>
#include <utility>

#include "regional_fields.hpp"

namespace palvarin {
namespace {

enum class Order { kDayFirst, kMonthFirst };

// One entry as read; either part none where it did not read.
struct Reading {
  std::optional<RegionalDate> date;
  std::optional<RegionalClock> clock;
};

using Times = std::vector<std::optional<TimeValue>>;

// Month and day of a date read in `order`.
std::pair<int, int> MonthAndDay(const RegionalDate& date, Order order) {
  if (date.yearFirst || order == Order::kMonthFirst) return {date.leading, date.middle};
  return {date.middle, date.leading};
}

// Whether the date names a real day when read in `order`.
bool ReadsAs(const RegionalDate& date, Order order) {
  using namespace std::chrono;
  const auto [m, d] = MonthAndDay(date, order);
  return m >= 1 && m <= 12 && d >= 1 && d <= 31 &&
         year_month_day{year{date.year}, month{static_cast<unsigned>(m)},
                        day{static_cast<unsigned>(d)}}
             .ok();
}

// Whether the date names the same day in both orders.
bool Unambiguous(const RegionalDate& date) { return date.yearFirst || date.leading == date.middle; }

// What the file's dates say about their order: each proof is a date that reads as a real day
// only in that order; `ambiguous` that some date would read differently in the other.
struct Evidence {
  bool dayFirst = false, monthFirst = false, ambiguous = false;
};

Evidence Weigh(const std::vector<Reading>& readings) {
  Evidence evidence;
  for (const Reading& reading : readings) {
    if (!reading.date || Unambiguous(*reading.date)) continue;
    const RegionalDate& date = *reading.date;
    evidence.ambiguous = true;
    evidence.dayFirst |= date.leading > 12 && ReadsAs(date, Order::kDayFirst);
    evidence.monthFirst |= date.middle > 12 && ReadsAs(date, Order::kMonthFirst);
  }
  return evidence;
}

// Every entry's time with its date read in `order`; none where it names no moment in range.
Times TimesUnder(const std::vector<Reading>& readings, Order order, LocalTimeCache& hours) {
  Times times(readings.size());
  for (std::size_t i = 0; i < readings.size(); ++i) {
    const Reading& reading = readings[i];
    if (!reading.date || !reading.clock || !ReadsAs(*reading.date, order)) continue;
    const auto [month, day] = MonthAndDay(*reading.date, order);
    const RegionalClock& clock = *reading.clock;
    times[i] =
        hours.Convert({reading.date->year, month, day, clock.hour, clock.minute, clock.second});
  }
  return times;
}

// Pairs of neighbouring timed entries in which the later one lies earlier.
std::size_t BackwardSteps(const Times& times) {
  std::size_t steps = 0;
  std::optional<TimeValue> previous;
  for (const auto& time : times) {
    if (!time) continue;
    if (previous && *time < *previous) ++steps;
    previous = time;
  }
  return steps;
}

// Drops the times of dates that would read differently in the other order.
Times KeepUnambiguous(Times times, const std::vector<Reading>& readings) {
  for (std::size_t i = 0; i < readings.size(); ++i) {
    if (readings[i].date && !Unambiguous(*readings[i].date)) times[i].reset();
  }
  return times;
}

}  // namespace

std::vector<std::optional<TimeValue>> ReadRegionalTimes(std::span<const RegionalStamp> stamps,
                                                        LocalTimeCache& hours) {
  std::vector<Reading> readings;
  readings.reserve(stamps.size());
  for (const RegionalStamp& stamp : stamps) {
    readings.push_back({ReadRegionalDate(stamp.date), ReadRegionalClock(stamp.time)});
  }
  const Evidence evidence = Weigh(readings);
  if (evidence.dayFirst && evidence.monthFirst) {
    // Dates from PCs set up differently: only those that cannot be misread keep a time.
    return KeepUnambiguous(TimesUnder(readings, Order::kDayFirst, hours), readings);
  }
  if (evidence.dayFirst || !evidence.ambiguous) {
    return TimesUnder(readings, Order::kDayFirst, hours);
  }
  if (evidence.monthFirst) return TimesUnder(readings, Order::kMonthFirst, hours);
  // No date proves the order: a history is written in time order, so the right reading is the
  // one under which the entries go backwards less often.
  Times dayFirst = TimesUnder(readings, Order::kDayFirst, hours);
  Times monthFirst = TimesUnder(readings, Order::kMonthFirst, hours);
  const std::size_t dayFirstSteps = BackwardSteps(dayFirst);
  const std::size_t monthFirstSteps = BackwardSteps(monthFirst);
  if (dayFirstSteps < monthFirstSteps) return dayFirst;
  if (monthFirstSteps < dayFirstSteps) return monthFirst;
  return KeepUnambiguous(std::move(dayFirst), readings);
}

}  // namespace palvarin
