#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "history/regional_time.hpp"
#include "support/reference_time.hpp"
#include "support/test_support.hpp"

namespace palvarin {
namespace {

using test::ScopedTimeZone;

// UTC-3 all year: a reading as UTC would be three hours off.
constexpr const char* kZone = "BRT3";

// One entry of a file and the local moment it should read as; none: no time.
struct Entry {
  const char* date;
  const char* time;
  std::optional<LocalFields> expected;
};

std::optional<TimeValue> Expected(const std::optional<LocalFields>& fields) {
  if (!fields) return std::nullopt;
  return MakeTime(fields->year, fields->month, fields->day, fields->hour, fields->minute,
                  fields->second);
}

// Reads the entries as one file and compares every result with what the entry expects.
void ExpectFile(const std::vector<Entry>& entries, const char* label) {
  std::vector<RegionalStamp> stamps;
  for (const Entry& entry : entries) stamps.push_back({entry.date, entry.time});
  LocalTimeCache hours;
  const auto times = ReadRegionalTimes(stamps, hours);
  ASSERT_EQ(times.size(), entries.size()) << label;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    EXPECT_EQ(times[i], Expected(entries[i].expected))
        << label << ": entry " << i << " " << entries[i].date << " " << entries[i].time;
  }
}

struct FormRow {
  const char* name;
  Entry entry;
};

// Each row is a file of its own entry, so its date must settle its order by itself.
TEST(ReadRegionalTimes, ReadsEveryRegionalForm) {
  ScopedTimeZone zone(kZone);
  const FormRow rows[] = {
      {"DayFirstSlashes", {"16/9/2010", "14:15:37", LocalFields{2010, 9, 16, 14, 15, 37}}},
      {"DayFirstDots", {"16.09.2010", "14:15:37", LocalFields{2010, 9, 16, 14, 15, 37}}},
      {"DayFirstDashes", {"16-09-2010", "14:15:37", LocalFields{2010, 9, 16, 14, 15, 37}}},
      {"MonthFirst", {"9/30/2023", "08:01:02", LocalFields{2023, 9, 30, 8, 1, 2}}},
      {"YearFirstSlashes", {"2010/09/16", "14:15:37", LocalFields{2010, 9, 16, 14, 15, 37}}},
      {"YearFirstDashes", {"2010-09-16", "14:15:37", LocalFields{2010, 9, 16, 14, 15, 37}}},
      {"YearFirstDots", {"2010.09.16", "14:15:37", LocalFields{2010, 9, 16, 14, 15, 37}}},
      {"YearFirstShortFields", {"2010/9/6", "14:15:37", LocalFields{2010, 9, 6, 14, 15, 37}}},
      {"TrailingDot", {"16.09.2010.", "14:15:37", LocalFields{2010, 9, 16, 14, 15, 37}}},
      {"SpacesAfterDots", {"2010. 09. 16.", "14:15:37", LocalFields{2010, 9, 16, 14, 15, 37}}},
      {"SurroundingSpaces", {" 16/09/2010  ", " 14:15:37 ", LocalFields{2010, 9, 16, 14, 15, 37}}},
      {"SameDayAndMonth", {"5/5/2010", "14:15:37", LocalFields{2010, 5, 5, 14, 15, 37}}},
      {"TwoDigitYear00", {"16/09/00", "14:15:37", LocalFields{2000, 9, 16, 14, 15, 37}}},
      {"TwoDigitYear69", {"16/09/69", "14:15:37", LocalFields{2069, 9, 16, 14, 15, 37}}},
      {"TwoDigitYear70", {"16/09/70", "14:15:37", LocalFields{1970, 9, 16, 14, 15, 37}}},
      {"TwoDigitYear99", {"31/12/99", "23:59:59", LocalFields{1999, 12, 31, 23, 59, 59}}},
      {"LeapDay", {"29/02/2008", "12:00:00", LocalFields{2008, 2, 29, 12, 0, 0}}},
      {"TimeWithDots", {"2010/09/16", "18.32.07", LocalFields{2010, 9, 16, 18, 32, 7}}},
      {"TimeWithoutSeconds", {"2010/09/16", "18:32", LocalFields{2010, 9, 16, 18, 32, 0}}},
      {"TimeWithDotsWithoutSeconds", {"2010/09/16", "18.32", LocalFields{2010, 9, 16, 18, 32, 0}}},
      {"SingleDigitHour", {"2010/09/16", "8:05:09", LocalFields{2010, 9, 16, 8, 5, 9}}},
      {"Midnight", {"2010/09/16", "0:00:00", LocalFields{2010, 9, 16, 0, 0, 0}}},
      {"EarliestInRange", {"31/12/1969", "21:00:00", LocalFields{1969, 12, 31, 21, 0, 0}}},
      {"LatestInRange", {"31/12/3000", "20:59:59", LocalFields{3000, 12, 31, 20, 59, 59}}},
  };
  for (const FormRow& row : rows) ExpectFile({row.entry}, row.name);
}

TEST(ReadRegionalTimes, TwelveHourClock) {
  ScopedTimeZone zone(kZone);
  const FormRow rows[] = {
      {"MidnightHour", {"2010/09/16", "12:05:00 AM", LocalFields{2010, 9, 16, 0, 5, 0}}},
      {"LastMinuteOfMidnightHour",
       {"2010/09/16", "12:59:59 AM", LocalFields{2010, 9, 16, 0, 59, 59}}},
      {"OneInTheMorning", {"2010/09/16", "1:00:00 AM", LocalFields{2010, 9, 16, 1, 0, 0}}},
      {"BeforeNoon", {"2010/09/16", "11:59:59 AM", LocalFields{2010, 9, 16, 11, 59, 59}}},
      {"NoonHour", {"2010/09/16", "12:05:00 PM", LocalFields{2010, 9, 16, 12, 5, 0}}},
      {"Afternoon", {"2010/09/16", "2:15:37 PM", LocalFields{2010, 9, 16, 14, 15, 37}}},
      {"BeforeMidnight", {"2010/09/16", "11:59:59 PM", LocalFields{2010, 9, 16, 23, 59, 59}}},
      {"LowerCase", {"2010/09/16", "2:15:37 pm", LocalFields{2010, 9, 16, 14, 15, 37}}},
      {"MixedCase", {"2010/09/16", "2:15:37 Pm", LocalFields{2010, 9, 16, 14, 15, 37}}},
      {"NoSpace", {"2010/09/16", "2:15:37PM", LocalFields{2010, 9, 16, 14, 15, 37}}},
      {"DottedMorning", {"2010/09/16", "2:15:37 a.m.", LocalFields{2010, 9, 16, 2, 15, 37}}},
      {"DottedAfternoonUpper",
       {"2010/09/16", "2:15:37 P.M.", LocalFields{2010, 9, 16, 14, 15, 37}}},
      {"WithoutSeconds", {"2010/09/16", "2:15 PM", LocalFields{2010, 9, 16, 14, 15, 0}}},
      {"DotsAndMarker", {"2010/09/16", "2.15.37 p.m.", LocalFields{2010, 9, 16, 14, 15, 37}}},
      {"HourZero", {"2010/09/16", "0:30:00 AM", std::nullopt}},
      {"HourThirteen", {"2010/09/16", "13:00:00 PM", std::nullopt}},
      {"UnknownMarker", {"2010/09/16", "2:15:37 XM", std::nullopt}},
      {"MarkerWithMore", {"2010/09/16", "2:15:37 pmx", std::nullopt}},
      {"HalfDottedMarker", {"2010/09/16", "2:15:37 p.m", std::nullopt}},
      {"MarkerAlone", {"2010/09/16", "PM", std::nullopt}},
  };
  for (const FormRow& row : rows) ExpectFile({row.entry}, row.name);
}

TEST(ReadRegionalTimes, RefusesWhatDoesNotRead) {
  ScopedTimeZone zone(kZone);
  const FormRow rows[] = {
      {"NoDate", {"", "14:15:37", std::nullopt}},
      {"NoTime", {"2010/09/16", "", std::nullopt}},
      {"Words", {"yesterday", "noon", std::nullopt}},
      {"TwoFields", {"16/09", "14:15:37", std::nullopt}},
      {"FourFields", {"16/09/2010/1", "14:15:37", std::nullopt}},
      {"MixedSeparators", {"16/09-2010", "14:15:37", std::nullopt}},
      {"OtherSeparator", {"16:09:2010", "14:15:37", std::nullopt}},
      {"TrailingLetter", {"2010/9/16x", "14:15:37", std::nullopt}},
      {"TwoTrailingDots", {"16.09.2010..", "14:15:37", std::nullopt}},
      {"ThreeDigitYear", {"16/09/201", "14:15:37", std::nullopt}},
      {"FiveDigitYear", {"16/09/20100", "14:15:37", std::nullopt}},
      {"ThreeDigitDay", {"016/09/2010", "14:15:37", std::nullopt}},
      {"YearFirstLongMonth", {"2010/009/16", "14:15:37", std::nullopt}},
      {"YearFirstYearLast", {"2010/09/2010", "14:15:37", std::nullopt}},
      {"Signed", {"+16/09/2010", "14:15:37", std::nullopt}},
      {"NoDayOfThatMonth", {"31/02/2010", "14:15:37", std::nullopt}},
      {"NotALeapYear", {"2010/02/29", "14:15:37", std::nullopt}},
      {"MonthThirteen", {"2010/13/01", "14:15:37", std::nullopt}},
      {"DayZero", {"2010/09/00", "14:15:37", std::nullopt}},
      {"BothFieldsAboveTwelve", {"16/13/2010", "14:15:37", std::nullopt}},
      {"Hour24", {"2010/09/16", "24:00:00", std::nullopt}},
      {"Minute60", {"2010/09/16", "18:60", std::nullopt}},
      {"Second60", {"2010/09/16", "18:32:60", std::nullopt}},
      {"OneDigitMinute", {"2010/09/16", "18:3", std::nullopt}},
      {"FourTimeFields", {"2010/09/16", "18:32:07:01", std::nullopt}},
      {"MixedTimeSeparators", {"2010/09/16", "18:32.07", std::nullopt}},
      {"NegativeHour", {"2010/09/16", "-1:00", std::nullopt}},
      {"BeforeRange", {"31/12/1969", "20:59:59", std::nullopt}},
      {"AfterRangeHere", {"31/12/3000", "21:00:00", std::nullopt}},
      {"AfterRange", {"1/1/3001", "00:00:00", std::nullopt}},
  };
  for (const FormRow& row : rows) ExpectFile({row.entry}, row.name);
}

struct FileRow {
  const char* name;
  std::vector<Entry> entries;
};

TEST(ReadRegionalTimes, SettlesTheFieldOrderForTheWholeFile) {
  ScopedTimeZone zone(kZone);
  const FileRow rows[] = {
      {"DayAboveTwelveProvesDayFirst",
       {{"3/4/2010", "10:00", LocalFields{2010, 4, 3, 10, 0, 0}},
        {"13/4/2010", "10:00", LocalFields{2010, 4, 13, 10, 0, 0}}}},
      {"SecondFieldAboveTwelveProvesMonthFirst",
       {{"3/4/2010", "10:00", LocalFields{2010, 3, 4, 10, 0, 0}},
        {"4/13/2010", "10:00", LocalFields{2010, 4, 13, 10, 0, 0}}}},
      {"TwelveInFrontProvesNothing",
       {{"11/30/2010", "10:00", LocalFields{2010, 11, 30, 10, 0, 0}},
        {"12/01/2010", "10:00", LocalFields{2010, 12, 1, 10, 0, 0}},
        {"12/05/2010", "10:00", LocalFields{2010, 12, 5, 10, 0, 0}}}},
      {"TwelveInTheMiddleProvesNothing",
       {{"30/11/2010", "10:00", LocalFields{2010, 11, 30, 10, 0, 0}},
        {"01/12/2010", "10:00", LocalFields{2010, 12, 1, 10, 0, 0}},
        {"05/12/2010", "10:00", LocalFields{2010, 12, 5, 10, 0, 0}}}},
      {"ProofOutweighsTimeOrder",
       {{"2/5/2010", "10:00", LocalFields{2010, 5, 2, 10, 0, 0}},
        {"3/4/2010", "10:00", LocalFields{2010, 4, 3, 10, 0, 0}},
        {"13/12/2010", "10:00", LocalFields{2010, 12, 13, 10, 0, 0}}}},
      {"ProofFromAnEntryWithoutTime",
       {{"13/1/2010", "", std::nullopt}, {"3/4/2010", "10:00", LocalFields{2010, 4, 3, 10, 0, 0}}}},
      {"BothProofsLeaveOnlyWhatCannotBeMisread",
       {{"13/1/2010", "10:00", std::nullopt},
        {"1/13/2010", "10:00", std::nullopt},
        {"5/5/2010", "10:00", LocalFields{2010, 5, 5, 10, 0, 0}},
        {"2010-01-02", "10:00", LocalFields{2010, 1, 2, 10, 0, 0}},
        {"3/4/2010", "10:00", std::nullopt}}},
      {"TimeOrderChoosesDayFirst",
       {{"1/2/2010", "10:00", LocalFields{2010, 2, 1, 10, 0, 0}},
        {"5/2/2010", "10:00", LocalFields{2010, 2, 5, 10, 0, 0}},
        {"1/3/2010", "10:00", LocalFields{2010, 3, 1, 10, 0, 0}}}},
      {"TimeOrderChoosesMonthFirst",
       {{"2/1/2010", "10:00", LocalFields{2010, 2, 1, 10, 0, 0}},
        {"2/5/2010", "10:00", LocalFields{2010, 2, 5, 10, 0, 0}},
        {"3/1/2010", "10:00", LocalFields{2010, 3, 1, 10, 0, 0}}}},
      {"UnambiguousEntriesCountInTheOrder",
       {{"2010/01/20", "10:00", LocalFields{2010, 1, 20, 10, 0, 0}},
        {"2/1/2010", "10:00", LocalFields{2010, 2, 1, 10, 0, 0}},
        {"2010/02/10", "10:00", LocalFields{2010, 2, 10, 10, 0, 0}}}},
      {"TieLeavesAmbiguousDatesUntimed",
       {{"1/2/2010", "10:00", std::nullopt},
        {"3/3/2010", "10:00", LocalFields{2010, 3, 3, 10, 0, 0}},
        {"2010/05/01", "10:00", LocalFields{2010, 5, 1, 10, 0, 0}}}},
      {"SingleAmbiguousEntryIsATie", {{"3/4/2010", "10:00", std::nullopt}}},
      {"ImpossibleDatesProveNothing",
       {{"45/99/2010", "10:00", std::nullopt},
        {"31/2/2010", "10:00", std::nullopt},
        {"2/1/2010", "10:00", LocalFields{2010, 2, 1, 10, 0, 0}},
        {"2/5/2010", "10:00", LocalFields{2010, 2, 5, 10, 0, 0}},
        {"3/1/2010", "10:00", LocalFields{2010, 3, 1, 10, 0, 0}}}},
      {"UntimedEntriesAreSkippedInTheOrder",
       {{"1/2/2010", "10:00", LocalFields{2010, 2, 1, 10, 0, 0}},
        {"12/12/2010", "noon", std::nullopt},
        {"5/2/2010", "10:00", LocalFields{2010, 2, 5, 10, 0, 0}},
        {"1/3/2010", "10:00", LocalFields{2010, 3, 1, 10, 0, 0}}}},
      {"Empty", {}},
  };
  for (const FileRow& row : rows) ExpectFile(row.entries, row.name);
}

}  // namespace
}  // namespace palvarin
