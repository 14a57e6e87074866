#include <gtest/gtest.h>

#include <string>

#include "history/entry_time.hpp"
#include "support/test_support.hpp"

namespace palvarin {
namespace {

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
    pugi::xml_document document;
    ASSERT_TRUE(document.load_string((std::string("<Message ") + row.attributes + "/>").c_str()));
    EXPECT_EQ(EntryTime(LogEntry{document.first_child()}), row.expected) << row.name;
  }
}

}  // namespace
}  // namespace palvarin
