#include <gtest/gtest.h>

#include <optional>

#include "support/test_support.hpp"
#include "time/utc_stamp.hpp"

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

}  // namespace
}  // namespace palvarin
