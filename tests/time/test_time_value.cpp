#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <set>
#include <string>

#include "support/reference_time.hpp"
#include "support/test_support.hpp"
#include "time/time_stamp.hpp"
#include "time/time_value.hpp"

namespace palvarin {
namespace {

using test::ScopedTimeZone;

// Seconds of a UTC calendar moment, computed without the local-time library under test.
TimeValue Utc(int y, unsigned mo, unsigned d, int h, int mi, int s) {
  using namespace std::chrono;
  return (sys_days{year{y} / month{mo} / day{d}} + hours{h} + minutes{mi} + seconds{s})
      .time_since_epoch()
      .count();
}

struct CalendarCase {
  const char* name;
  int fields[6];
  TimeValue expectedUtc;
};

TEST(MakeTime, ReadsFieldsAsLocalTimeAndCarriesOver) {
  ScopedTimeZone zone("Asia/Tokyo");  // UTC+9, no daylight saving
  const CalendarCase cases[] = {
      {"plain", {2006, 1, 23, 12, 34, 56}, Utc(2006, 1, 23, 3, 34, 56)},
      {"month 13 is January next year", {2006, 13, 1, 9, 0, 0}, Utc(2007, 1, 1, 0, 0, 0)},
      {"day 0 is the last of the month before", {2006, 3, 0, 9, 0, 0}, Utc(2006, 2, 28, 0, 0, 0)},
      {"hour 24 is midnight next day", {2006, 1, 1, 24, 0, 0}, Utc(2006, 1, 1, 15, 0, 0)},
      {"second 60 is the next minute", {2006, 1, 1, 9, 0, 60}, Utc(2006, 1, 1, 0, 1, 0)},
      {"month 0 is December before", {2006, 0, 1, 9, 0, 0}, Utc(2005, 12, 1, 0, 0, 0)},
      {"leap day", {2008, 2, 29, 9, 0, 0}, Utc(2008, 2, 29, 0, 0, 0)},
  };
  for (const auto& c : cases) {
    const int* f = c.fields;
    EXPECT_EQ(MakeTime(f[0], f[1], f[2], f[3], f[4], f[5]), c.expectedUtc) << c.name;
  }
}

TEST(MakeTime, AcceptsExactlyTheRange) {
  struct ZoneCase {
    const char* zone;
    int earliest[6];  // local fields of 1970-01-01T00:00:00Z
    int latest[6];    // local fields of 3000-12-31T23:59:59Z
  };
  const ZoneCase zones[] = {
      {"Asia/Tokyo", {1970, 1, 1, 9, 0, 0}, {3001, 1, 1, 8, 59, 59}},
      {"America/New_York", {1969, 12, 31, 19, 0, 0}, {3000, 12, 31, 18, 59, 59}},
  };
  for (const auto& z : zones) {
    ScopedTimeZone zone(z.zone);
    const int* e = z.earliest;
    const int* l = z.latest;
    EXPECT_EQ(MakeTime(e[0], e[1], e[2], e[3], e[4], e[5]), kEarliestTime) << z.zone;
    EXPECT_THROW(MakeTime(e[0], e[1], e[2], e[3], e[4], e[5] - 1), InvalidTimeError) << z.zone;
    EXPECT_EQ(MakeTime(l[0], l[1], l[2], l[3], l[4], l[5]), kLatestTime) << z.zone;
    EXPECT_THROW(MakeTime(l[0], l[1], l[2], l[3], l[4], l[5] + 1), InvalidTimeError) << z.zone;
  }
}

TEST(MakeTime, RefusesYearsThatCannotBeRepresented) {
  ScopedTimeZone zone("UTC");
  const int years[] = {1, 9, 16, 1900, 1969, 3001, INT_MAX, INT_MIN};
  for (int year : years) {
    EXPECT_THROW(MakeTime(year, 6, 1, 12, 0, 0), InvalidTimeError) << year;
  }
  EXPECT_THROW(MakeTime(2000, INT_MIN, 1, 0, 0, 0), InvalidTimeError);
  try {
    MakeTime(1, 23, 2006, 0, 0, 0);
    FAIL() << "a month-first date must not read as a time";
  } catch (const InvalidTimeError& error) {
    EXPECT_EQ(error.Status(), 0x80070057u);
  }
}

TEST(MakeTime, DaylightSavingGapAndOverlapInNewYork) {
  ScopedTimeZone zone("America/New_York");
  // 2021-03-14 02:30 does not exist: it becomes 01:30 EST or 03:30 EDT, the same moment twice.
  const std::set<TimeValue> gap = {Utc(2021, 3, 14, 6, 30, 0), Utc(2021, 3, 14, 7, 30, 0)};
  EXPECT_TRUE(gap.count(MakeTime(2021, 3, 14, 2, 30, 0)));
  // 2021-11-07 01:30 happens twice: either reading is right.
  const std::set<TimeValue> overlap = {Utc(2021, 11, 7, 5, 30, 0), Utc(2021, 11, 7, 6, 30, 0)};
  EXPECT_TRUE(overlap.count(MakeTime(2021, 11, 7, 1, 30, 0)));
  // Either side of the changes the zone's rules decide alone.
  EXPECT_EQ(MakeTime(2021, 3, 14, 1, 59, 59), Utc(2021, 3, 14, 6, 59, 59));
  EXPECT_EQ(MakeTime(2021, 3, 14, 3, 0, 0), Utc(2021, 3, 14, 7, 0, 0));
  EXPECT_EQ(MakeTime(2021, 7, 1, 12, 0, 0), Utc(2021, 7, 1, 16, 0, 0));
  EXPECT_EQ(MakeTime(2021, 11, 7, 2, 0, 0), Utc(2021, 11, 7, 7, 0, 0));
}

TEST(TimeFromCalendar, YearBefore1900IsNoTime) {
  ScopedTimeZone zone("Asia/Tokyo");
  CalendarRecord record{1899, 12, 0, 31, 23, 59, 59, 999};
  EXPECT_EQ(TimeFromCalendar(record), 0);
  record.year = 1900;
  EXPECT_THROW(TimeFromCalendar(record), InvalidTimeError);
  CalendarRecord plain{2006, 3, 3, 15, 14, 25, 1, 500};
  EXPECT_EQ(TimeFromCalendar(plain), Utc(2006, 3, 15, 5, 25, 1));
}

TEST(FormatTime, FourteenDigitsInsideTheRangeAndEmptyOutside) {
  for (const char* name : {"Asia/Tokyo", "America/New_York", "UTC"}) {
    ScopedTimeZone zone(name);
    for (TimeValue value = kEarliestTime; value < kLatestTime; value += 86400LL * 3653 + 12345) {
      const std::string text = FormatStamp(value);
      ASSERT_EQ(text.size(), 14u) << name << " " << value;
      EXPECT_EQ(text.find_first_not_of("0123456789"), std::string::npos) << text;
    }
    EXPECT_EQ(FormatStamp(kLatestTime).size(), 14u) << name;
    EXPECT_EQ(FormatStamp(kEarliestTime).size(), 14u) << name;
    EXPECT_EQ(FormatStamp(kEarliestTime - 1), "") << name;
    EXPECT_EQ(FormatStamp(kLatestTime + 1), "") << name;
  }
  ScopedTimeZone zone("Asia/Tokyo");
  EXPECT_EQ(FormatStamp(Utc(2006, 3, 15, 5, 25, 1)), "20060315142501");
  EXPECT_EQ(FormatStamp(kLatestTime), "30010101085959");
  EXPECT_EQ(FormatTime(12345, nullptr), "");
  EXPECT_EQ(FormatTime(12345, std::string(130, 'x').c_str()), "");
  EXPECT_EQ(FormatTime(12345, std::string(127, 'x').c_str()), std::string(127, 'x'));
}

TEST(FormatTime, ReadsBackThroughMakeTime) {
  ScopedTimeZone zone("America/New_York");
  for (TimeValue value : {Utc(2006, 1, 2, 3, 4, 5), Utc(2021, 7, 1, 12, 0, 0), kLatestTime}) {
    const std::string t = FormatStamp(value);
    auto field = [&](int at, int length) { return std::stoi(t.substr(at, length)); };
    EXPECT_EQ(
        MakeTime(field(0, 4), field(4, 2), field(6, 2), field(8, 2), field(10, 2), field(12, 2)),
        value);
  }
}

}  // namespace
}  // namespace palvarin
