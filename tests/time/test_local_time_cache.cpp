#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <ctime>
#include <optional>
#include <random>
#include <vector>

#include "support/reference_time.hpp"
#include "support/test_support.hpp"
#include "time/local_time_cache.hpp"
#include "time/time_value.hpp"

namespace palvarin {
namespace {

using test::ScopedTimeZone;

std::optional<TimeValue> PlainMakeTime(const LocalFields& f) {
  try {
    return MakeTime(f.year, f.month, f.day, f.hour, f.minute, f.second);
  } catch (const InvalidTimeError&) {
    return std::nullopt;
  }
}

LocalFields LocalFieldsOf(std::time_t moment) {
  std::tm local{};
  localtime_r(&moment, &local);
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
          local.tm_hour,        local.tm_min,     local.tm_sec};
}

// Every minute of the hours around each change of the clocks from 1970 to 2040: the hours
// that occur twice, the hours that never occur, and their neighbours.
std::vector<LocalFields> MomentsAroundClockChanges() {
  std::vector<LocalFields> moments;
  const std::time_t end = 2208988800;  // 2040-01-01
  for (std::time_t noon = 43200; noon < end; noon += 86400) {
    std::tm before{};
    std::tm after{};
    const std::time_t next = noon + 86400;
    localtime_r(&noon, &before);
    localtime_r(&next, &after);
    if (before.tm_gmtoff == after.tm_gmtoff) continue;
    for (int hour = 0; hour < 5; ++hour) {
      for (int minute = 0; minute < 60; minute += 7) {
        moments.push_back(
            {after.tm_year + 1900, after.tm_mon + 1, after.tm_mday, hour, minute, minute % 60});
      }
    }
  }
  return moments;
}

// Fields as histories hold them and as they go wrong: regional orders, carries, nonsense.
LocalFields RandomFields(std::mt19937& random) {
  auto pick = [&](int low, int high) { return std::uniform_int_distribution(low, high)(random); };
  switch (pick(0, 4)) {
    case 0:  // a month-first or day-first date read year first
      return {pick(1, 31), pick(1, 12), pick(1970, 2030), pick(0, 23), pick(0, 59), pick(0, 59)};
    case 1:  // fields carried over
      return {pick(1968, 3002), pick(-14, 27),  pick(-40, 70),
              pick(-30, 50),    pick(-90, 120), pick(-90, 120)};
    case 2:  // the edges of the range
      return {pick(0, 1) ? pick(1969, 1970) : pick(3000, 3001),
              pick(0, 1) ? 1 : 12,
              pick(0, 1) ? 1 : 31,
              pick(0, 23),
              pick(0, 59),
              pick(0, 59)};
    default:  // an ordinary moment
      return LocalFieldsOf(std::uniform_int_distribution<std::time_t>(0, 4102444800)(random));
  }
}

// New York changes its clocks by an hour on the hour; Lord Howe Island by half an hour, so
// that some of its hours are neither whole nor regular.
TEST(LocalTimeCache, GivesExactlyMakeTimesResults) {
  for (const char* name : {"America/New_York", "Australia/Lord_Howe"}) {
    ScopedTimeZone zone(name);
    std::mt19937 random(20240501);
    std::vector<LocalFields> moments = MomentsAroundClockChanges();
    ASSERT_GT(moments.size(), 100u) << name;
    for (int i = 0; i < 20000; ++i) moments.push_back(RandomFields(random));
    // Shuffled, so that the cache meets its hours in no helpful order.
    std::shuffle(moments.begin(), moments.end(), random);
    LocalTimeCache cache;
    for (const LocalFields& f : moments) {
      ASSERT_EQ(cache.Convert(f), PlainMakeTime(f))
          << name << " " << f.year << "/" << f.month << "/" << f.day << " " << f.hour << ":"
          << f.minute << ":" << f.second;
    }
  }
}

TEST(MakeTime, GivesOneMomentForALocalTimeThatOccursTwiceOrNever) {
  ScopedTimeZone zone("America/New_York");
  struct Case {
    const char* name;
    LocalFields fields;
    TimeValue expected;
  };
  const Case cases[] = {
      // 01:30 on 2021-11-07 is first EDT, then EST: the earlier is 05:30 UTC.
      {"clocks set back", {2021, 11, 7, 1, 30, 0}, 1636263000},
      // 02:30 on 2021-03-14 never happens: read in EST, it is 03:30 EDT.
      {"clocks set forward", {2021, 3, 14, 2, 30, 0}, 1615707000},
  };
  for (const Case& c : cases) {
    const LocalFields& f = c.fields;
    // Whatever was converted just before, in summer or in winter, the answer is the same.
    for (int previousMonth : {7, 1}) {
      MakeTime(2021, previousMonth, 15, 12, 0, 0);
      EXPECT_EQ(MakeTime(f.year, f.month, f.day, f.hour, f.minute, f.second), c.expected)
          << c.name << " after month " << previousMonth;
    }
  }
}

// What mktime itself says, asked directly, in a zone where no local time is ambiguous.
std::optional<TimeValue> MktimeInRange(const LocalFields& f) {
  if (static_cast<long long>(f.year) - 1900 < INT_MIN || f.month == INT_MIN) return std::nullopt;
  std::tm fields{};
  fields.tm_year = f.year - 1900;
  fields.tm_mon = f.month - 1;
  fields.tm_mday = f.day;
  fields.tm_hour = f.hour;
  fields.tm_min = f.minute;
  fields.tm_sec = f.second;
  fields.tm_isdst = -1;
  const std::time_t value = std::mktime(&fields);
  if (value < kEarliestTime || value > kLatestTime) return std::nullopt;
  return value;
}

TEST(TryMakeTime, RefusesExactlyWhatMktimePutsOutsideTheRange) {
  std::mt19937 random(7);
  auto wide = [&](int low, int high) { return std::uniform_int_distribution(low, high)(random); };
  for (const char* name : {"Asia/Tokyo", "UTC", "Etc/GMT-14", "Etc/GMT+12"}) {
    ScopedTimeZone zone(name);
    for (int i = 0; i < 20000; ++i) {
      const LocalFields f = i % 2 ? RandomFields(random)
                                  : LocalFields{wide(-5000, 5000),       wide(-40000, 40000),
                                                wide(-800000, 800000),   wide(-9999999, 9999999),
                                                wide(-9999999, 9999999), wide(INT_MIN, INT_MAX)};
      ASSERT_EQ(TryMakeTime(f), MktimeInRange(f))
          << name << " " << f.year << "/" << f.month << "/" << f.day << " " << f.hour << ":"
          << f.minute << ":" << f.second;
    }
    const LocalFields extremes[] = {{INT_MAX, INT_MAX, INT_MAX, INT_MAX, INT_MAX, INT_MAX},
                                    {INT_MIN, INT_MIN, INT_MIN, INT_MIN, INT_MIN, INT_MIN},
                                    {178958970, INT_MIN, 1, 0, 0, 0},
                                    {2000, 1, INT_MIN, INT_MAX, 0, 0}};
    for (const LocalFields& f : extremes) EXPECT_EQ(TryMakeTime(f), MktimeInRange(f)) << name;
  }
}

}  // namespace
}  // namespace palvarin
