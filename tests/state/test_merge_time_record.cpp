#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "state/merge_time_record.hpp"
#include "support/reference_time.hpp"
#include "support/test_support.hpp"
#include "time/time_stamp.hpp"

namespace palvarin {
namespace {

using test::ScopedTimeZone;
using test::TempFolder;

// Central European time with its daylight-saving rules, without relying on the zone database.
constexpr const char* kBerlin = "CET-1CEST,M3.5.0,M10.5.0/3";

TEST(MergeTimeKey, PutsTheByteWiseGreaterPathFirst) {
  struct Row {
    const char* label;
    std::string a;
    std::string b;
    std::string key;
  };
  const Row rows[] = {
      {"Ordered", "/b/x.xml", "/a/x.xml", "/b/x.xml_/a/x.xml"},
      {"Swapped", "/a/x.xml", "/b/x.xml", "/b/x.xml_/a/x.xml"},
      {"Equal", "/a/x.xml", "/a/x.xml", "/a/x.xml_/a/x.xml"},
      {"LowerCaseIsGreater", "/A/x.xml", "/a/x.xml", "/a/x.xml_/A/x.xml"},
      {"Prefix", "/a/x.xml", "/a/x.xml2", "/a/x.xml2_/a/x.xml"},
      {"Utf8AboveAscii", "/z.xml", "/é.xml", "/é.xml_/z.xml"},
      {"Empty", "", "/a", "/a_"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(MergeTimeKey(row.a, row.b), row.key) << row.label;
    EXPECT_EQ(MergeTimeKey(row.b, row.a), row.key) << row.label;
  }
}

struct StoredStamp {
  const char* label;
  std::optional<std::string> stored;  // none: no record at all
  bool found;
  int year, month, day, hour, minute, second;
};

// Names the row in test listings instead of dumping its bytes.
void PrintTo(const StoredStamp& row, std::ostream* out) { *out << row.label; }

class ReadStamp : public testing::TestWithParam<StoredStamp> {};

TEST_P(ReadStamp, NormalisesAsMktimeDoes) {
  ScopedTimeZone zone(kBerlin);
  TempFolder folder;
  ProfileStore store(folder / "profile.sqlite3");
  const StoredStamp& row = GetParam();
  if (row.stored) {
    ASSERT_TRUE(store.WriteProfileString(kMergeTimeSection, MergeTimeKey("/a", "/b"), *row.stored));
  }

  const std::optional<MergeTimeRecord> record = ReadMergeTime(store, "/a", "/b");

  ASSERT_EQ(record.has_value(), row.found);
  if (row.found) {
    EXPECT_EQ(record->time,
              MakeTime(row.year, row.month, row.day, row.hour, row.minute, row.second));
    EXPECT_EQ(record->stamp, *row.stored);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Records, ReadStamp,
    testing::Values(StoredStamp{"Plain", "20060102030405", true, 2006, 1, 2, 3, 4, 5},
                    StoredStamp{"Summer", "20060715120000", true, 2006, 7, 15, 12, 0, 0},
                    StoredStamp{"MonthThirteen", "20061301000000", true, 2007, 1, 1, 0, 0, 0},
                    StoredStamp{"MonthLetters", "2006ab01000000", true, 2005, 12, 1, 0, 0, 0},
                    StoredStamp{"DayZero", "20060300000000", true, 2006, 2, 28, 0, 0, 0},
                    StoredStamp{"Absent", std::nullopt, false, 0, 0, 0, 0, 0, 0},
                    StoredStamp{"Empty", "", false, 0, 0, 0, 0, 0, 0},
                    StoredStamp{"ThirteenDigits", "2006010203040", false, 0, 0, 0, 0, 0, 0},
                    StoredStamp{"FifteenDigits", "200601020304050", false, 0, 0, 0, 0, 0, 0},
                    StoredStamp{"AllZeros", "00000000000000", false, 0, 0, 0, 0, 0, 0},
                    StoredStamp{"AfterYear3000", "30010102000000", false, 0, 0, 0, 0, 0, 0}),
    [](const auto& row) { return std::string(row.param.label); });

TEST(ReadMergeTime, TheDigitsNameLocalTime) {
  TempFolder folder;
  ProfileStore store(folder / "profile.sqlite3");
  ASSERT_TRUE(store.WriteProfileString(kMergeTimeSection, "/b_/a", "20060102030405"));
  {
    ScopedTimeZone zone("UTC0");
    EXPECT_EQ(ReadMergeTime(store, "/a", "/b")->time, 1136171045);
  }
  ScopedTimeZone zone("JST-9");
  EXPECT_EQ(ReadMergeTime(store, "/a", "/b")->time, 1136171045 - 9 * 3600);
}

TEST(WriteMergeTime, BothOrdersOfAPairShareOneRecordAndCaseMakesAnother) {
  ScopedTimeZone zone(kBerlin);
  TempFolder folder;
  ProfileStore store(folder / "profile.sqlite3");

  ASSERT_TRUE(WriteMergeTime(store, "/logs/a.xml", "/other/a.xml", {}));

  EXPECT_TRUE(ReadMergeTime(store, "/other/a.xml", "/logs/a.xml").has_value());
  EXPECT_FALSE(ReadMergeTime(store, "/Logs/a.xml", "/other/a.xml").has_value());
  EXPECT_FALSE(ReadMergeTime(store, "/logs/a.xml", "/other/A.xml").has_value());
}

TEST(WriteMergeTime, ReadsBackTheSameSecond) {
  ScopedTimeZone zone(kBerlin);
  TempFolder folder;
  ProfileStore store(folder / "profile.sqlite3");

  const TimeValue before = std::time(nullptr);
  ASSERT_TRUE(WriteMergeTime(store, "/a.xml", "/b.xml", {}));
  const TimeValue after = std::time(nullptr);
  const std::optional<MergeTimeRecord> record = ReadMergeTime(store, "/b.xml", "/a.xml");

  ASSERT_TRUE(record.has_value());
  EXPECT_GE(record->time, before);
  EXPECT_LE(record->time, after);
  EXPECT_EQ(store.GetProfileString(kMergeTimeSection, "/b.xml_/a.xml", ""),
            FormatStamp(record->time));
  EXPECT_EQ(record->stamp, FormatStamp(record->time));
}

TEST(ReadMergeIdentities, GivesWhatWasRecordedWithThatTime) {
  ScopedTimeZone zone(kBerlin);
  TempFolder folder;
  ProfileStore store(folder / "profile.sqlite3");
  const std::vector<EntryIdentity> heldByBoth{{9, 1}, {4, 7}, {9, 0}};
  ASSERT_TRUE(WriteMergeTime(store, "/a.xml", "/b.xml", heldByBoth));

  const std::optional<MergeTimeRecord> record = ReadMergeTime(store, "/b.xml", "/a.xml");

  ASSERT_TRUE(record.has_value());
  EXPECT_EQ(ReadMergeIdentities(store, *record), heldByBoth);
}

// A time written by an older version of the program, over a record or in a profile without
// any, has no identities.
TEST(ReadMergeIdentities, NoneForATimeWrittenWithoutThem) {
  ScopedTimeZone zone(kBerlin);
  struct Row {
    const char* name;
    const char* time;
    bool recordedBefore;
  };
  for (const Row& row :
       {Row{"LaterTime", "20990102030405", true}, Row{"EarlierTime", "20000102030405", true},
        Row{"Unreadable", "later", true}, Row{"NoRecord", "20060102030405", false}}) {
    SCOPED_TRACE(row.name);
    TempFolder folder;
    ProfileStore store(folder / "profile.sqlite3");
    if (row.recordedBefore) {
      ASSERT_TRUE(WriteMergeTime(store, "/a.xml", "/b.xml", std::vector<EntryIdentity>{{1, 2}}));
    }
    ASSERT_TRUE(
        store.WriteProfileString(kMergeTimeSection, MergeTimeKey("/a.xml", "/b.xml"), row.time));

    const std::optional<MergeTimeRecord> record = ReadMergeTime(store, "/a.xml", "/b.xml");

    ASSERT_TRUE(record.has_value() || row.recordedBefore) << "a time the identities could go with";
    if (record) {
      EXPECT_EQ(ReadMergeIdentities(store, *record), std::nullopt);
    }
  }
}

// Records are named by the paths made absolute, so a pair given once relative and once
// absolute is one pair.
TEST(WriteMergeTime, ARelativePathNamesTheRecordOfItsPlace) {
  ScopedTimeZone zone(kBerlin);
  TempFolder folder;
  const std::filesystem::path here = std::filesystem::canonical(folder.Path());
  ProfileStore store(here / "profile.sqlite3");
  const std::vector<EntryIdentity> held{{5, 6}};
  {
    const test::ScopedWorkingFolder working(here);
    ASSERT_TRUE(WriteMergeTime(store, "pcA/x.xml", "./pcB//x.xml", held));
  }
  EXPECT_NE(store.GetProfileString(kMergeTimeSection,
                                   MergeTimeKey(here / "pcA/x.xml", here / "pcB/x.xml"), ""),
            "");
  const test::ScopedWorkingFolder elsewhere(here / "..");
  const auto record = ReadMergeTime(store, here / "pcB/x.xml", here / "pcA/x.xml");
  ASSERT_TRUE(record.has_value());
  EXPECT_EQ(ReadMergeIdentities(store, *record), held);
}

// A record written before records were named by absolute paths is named by the paths as they
// were typed. It is still found from the folder they were typed in, however the pair is given
// now; one whose paths lead from there to other files belongs to another pair.
TEST(ReadMergeTime, FindsARecordNamedByThePathsAsTyped) {
  ScopedTimeZone zone(kBerlin);
  const struct {
    const char* name;
    std::string typedA;
    std::string typedB;
    bool found;
  } rows[] = {
      {"BothRelative", "pcA/x.xml", "pcB/x.xml", true},
      {"AfterDotSlash", "./pcA/x.xml", "./pcB/x.xml", true},
      {"RelativeGreaterThanAbsolute", "<here>/pcA/x.xml", "pcB/x.xml", true},
      {"AbsoluteGreaterThanParent", "<here>/pcA/x.xml", "../here/pcB/x.xml", true},
      {"OtherFiles", "old/pcA/x.xml", "old/pcB/x.xml", false},
  };
  for (const auto& row : rows) {
    TempFolder folder;
    const std::filesystem::path here = std::filesystem::canonical(folder.Path()) / "here";
    std::filesystem::create_directories(here);
    const auto spelt = [&here](std::string path) {
      if (path.starts_with("<here>")) path.replace(0, 6, here.string());
      return path;
    };
    ProfileStore store(here / "profile.sqlite3");
    const std::vector<EntryIdentity> held{{1, 2}, {3, 4}};
    ASSERT_TRUE(store.WriteMergeRecord(MergeTimeKey(spelt(row.typedA), spelt(row.typedB)),
                                       "20060102030405", held));
    const test::ScopedWorkingFolder working(here);
    for (const bool swapped : {false, true}) {
      const std::string a = here / "pcA/x.xml", b = here / "pcB/x.xml";
      const auto record = swapped ? ReadMergeTime(store, b, a) : ReadMergeTime(store, a, b);
      ASSERT_EQ(record.has_value(), row.found) << row.name;
      if (record) {
        EXPECT_EQ(ReadMergeIdentities(store, *record), held) << row.name;
      }
    }
  }
}

}  // namespace
}  // namespace palvarin
