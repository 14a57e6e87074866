#include <gtest/gtest.h>

#include "merge/entry_time.hpp"
#include "merge_fixtures.hpp"
#include "support/test_support.hpp"

namespace palvarin {
namespace {

struct StampRow {
  const char* name;
  const char* text;
  std::optional<TimeValue> expected;
};

TEST(ParseUtcStampTest, ReadsWholeSecondsAndRefusesEverythingElse) {
  const StampRow rows[] = {
      {"WithFraction", "2010-09-17T01:45:43.093Z", 1284687943},
      {"WithoutFraction", "2010-09-17T01:45:43Z", 1284687943},
      {"LongFraction", "2010-09-17T01:45:43.999999Z", 1284687943},
      {"Earliest", "1970-01-01T00:00:00.000Z", 0},
      {"Latest", "3000-12-31T23:59:59.999Z", kLatestTime},
      {"LeapDay", "2008-02-29T12:00:00Z", 1204286400},
      {"BeforeRange", "1969-12-31T23:59:59Z", std::nullopt},
      {"AfterRange", "3001-01-01T00:00:00Z", std::nullopt},
      {"Empty", "", std::nullopt},
      {"DateOnly", "2010-09-17", std::nullopt},
      {"NoZone", "2010-09-17T01:45:43.093", std::nullopt},
      {"OffsetZone", "2010-09-17T01:45:43+02:00", std::nullopt},
      {"TrailingText", "2010-09-17T01:45:43.093Zx", std::nullopt},
      {"EmptyFraction", "2010-09-17T01:45:43.Z", std::nullopt},
      {"ShortMonth", "2010-9-17T01:45:43Z", std::nullopt},
      {"Month13", "2010-13-01T00:00:00Z", std::nullopt},
      {"February30", "2010-02-30T00:00:00Z", std::nullopt},
      {"Hour24", "2010-09-17T24:00:00Z", std::nullopt},
      {"Second60", "2010-09-17T01:45:60Z", std::nullopt},
      {"SignInField", "2010-09-17T-1:45:43Z", std::nullopt},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(ParseUtcStamp(row.text), row.expected) << row.name;
  }
}

struct EntryTimeRow {
  const char* name;
  const char* attributes;
  std::optional<TimeValue> expected;
};

TEST(EntryTimeTest, FallsBackToTheStampWhereDateAndTimeDoNotRead) {
  test::ScopedTimeZone zone("BRT3");  // UTC-3 all year: local and UTC readings differ
  const TimeValue localReading = 1284687943 + 3 * 3600;  // 01:45:43 at UTC-3
  const EntryTimeRow rows[] = {
      {"YearFirstDateIsLocal", R"(Date="2010/9/17" Time="1:45:43" DateTime="2000-01-01T00:00:00Z")",
       localReading},
      {"DayFirstDateUsesStamp",
       R"(Date="16/9/2010" Time="22:45:43" DateTime="2010-09-17T01:45:43.093Z")", 1284687943},
      {"MonthFirstDateUsesStamp",
       R"(Date="9/16/2010" Time="10:45:43 PM" DateTime="2010-09-17T01:45:43.093Z")", 1284687943},
      {"DottedDateUsesStamp",
       R"(Date="16.09.2010" Time="22:45:43" DateTime="2010-09-17T01:45:43.093Z")", 1284687943},
      {"NoDateUsesStamp", R"(DateTime="2010-09-17T01:45:43.093Z")", 1284687943},
      {"DayFirstWithoutStamp", R"(Date="16/9/2010" Time="22:45:43")", std::nullopt},
      {"DayFirstWithMalformedStamp", R"(Date="16/9/2010" Time="22:45:43" DateTime="yesterday")",
       std::nullopt},
      {"Nothing", "", std::nullopt},
  };
  for (const auto& row : rows) {
    const auto document =
        test::ParseLog(std::string("<Log><Message ") + row.attributes + "/></Log>");
    EXPECT_EQ(EntryTime(LogEntry{document->document_element().first_child()}), row.expected)
        << row.name;
  }
}

}  // namespace
}  // namespace palvarin
