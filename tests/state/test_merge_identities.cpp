#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "files/io_faults.hpp"
#include "raw_profile.hpp"
#include "state/profile_store.hpp"
#include "support/test_support.hpp"

namespace palvarin {
namespace {

using test::RawProfile;
using test::TempFolder;

constexpr const char* kKey = "/b/x.xml_/a/x.xml";
constexpr const char* kStamp = "20060102030405";

std::vector<EntryIdentity> RandomIdentities(std::size_t count) {
  std::mt19937_64 random(11);
  std::vector<EntryIdentity> identities(count);
  for (EntryIdentity& identity : identities) identity = {random(), random()};
  return identities;
}

TEST(MergeIdentities, RoundTripInTheOrderGiven) {
  struct Row {
    const char* name;
    std::vector<EntryIdentity> identities;
  };
  const Row rows[] = {
      {"None", {}},
      {"Unsorted", {{5, 1}, {1, 5}, {0, 0}, {~0ull, 0}, {0, ~0ull}, {3, 3}}},
      {"Repeated", {{2, 2}, {2, 2}}},
      {"HundredThousand", RandomIdentities(100000)},
  };
  TempFolder folder;
  // Enough writes to start the store's write-back thread: a close that waited for ever for it
  // would hang the suite.
  test::RunGuarded(std::chrono::seconds(10), [&] {
    const auto file = folder / "profile.sqlite3";
    {
      ProfileStore store(file);
      for (const Row& row : rows) {
        EXPECT_TRUE(store.WriteMergeRecord(row.name, kStamp, row.identities)) << row.name;
      }
    }
    ProfileStore reopened(file);
    RawProfile raw(file);
    for (const Row& row : rows) {
      EXPECT_EQ(reopened.ReadMergeIdentities(row.name, kStamp), row.identities) << row.name;
      EXPECT_EQ(reopened.GetProfileString(kMergeTimeSection, row.name, ""), kStamp) << row.name;
      EXPECT_EQ(raw.Integer("SELECT length(identities) FROM merge_identities WHERE name = '" +
                            std::string(row.name) + "'"),
                static_cast<std::int64_t>(16 * row.identities.size()))
          << row.name;
    }
    EXPECT_EQ(Said(reopened.TakeProblem()), "");
  });
}

TEST(MergeIdentities, StoredAsLittleEndianLowThenHigh) {
  TempFolder folder;
  const auto file = folder / "profile.sqlite3";
  ProfileStore store(file);
  const EntryIdentity identities[] = {{0x0807060504030201, 0x1817161514131211}, {1, 2}};
  ASSERT_TRUE(store.WriteMergeRecord(kKey, kStamp, identities));

  RawProfile raw(file);
  EXPECT_EQ(raw.Text("SELECT hex(identities) FROM merge_identities"),
            "0102030405060708111213141516171801000000000000000200000000000000");
  EXPECT_EQ(raw.Text("SELECT stamp FROM merge_identities"), kStamp);
}

TEST(MergeIdentities, ReadOnlyWithTheirOwnKeyAndStamp) {
  TempFolder folder;
  ProfileStore store(folder / "profile.sqlite3");
  const std::vector<EntryIdentity> earlier{{1, 1}};
  const std::vector<EntryIdentity> later{{2, 2}, {3, 3}};
  ASSERT_TRUE(store.WriteMergeRecord(kKey, "20060102030405", earlier));
  ASSERT_TRUE(store.WriteMergeRecord("/d_/c", "20060102030405", later));
  ASSERT_TRUE(store.WriteMergeRecord(kKey, "20070102030405", later));

  EXPECT_EQ(store.ReadMergeIdentities(kKey, "20070102030405"), later);
  EXPECT_EQ(store.ReadMergeIdentities(kKey, "20060102030405"), std::nullopt)
      << "replaced by the later merge";
  EXPECT_EQ(store.ReadMergeIdentities(kKey, "2007010203040"), std::nullopt);
  EXPECT_EQ(store.ReadMergeIdentities("/a/x.xml_/b/x.xml", "20070102030405"), std::nullopt);
  EXPECT_EQ(store.ReadMergeIdentities("/d_/c", "20060102030405"), later);
}

TEST(MergeIdentities, ATimeWithoutIdentitiesHasNone) {
  TempFolder folder;
  ProfileStore store(folder / "profile.sqlite3");
  ASSERT_TRUE(store.WriteProfileString(kMergeTimeSection, kKey, kStamp));
  EXPECT_EQ(store.ReadMergeIdentities(kKey, kStamp), std::nullopt);
  EXPECT_EQ(Said(store.TakeProblem()), "");
}

TEST(MergeIdentities, OnlyWholeIdentitiesRead) {
  struct Row {
    const char* name;
    const char* stored;  // an SQL expression
    std::optional<std::vector<EntryIdentity>> expected;
  };
  const Row rows[] = {
      {"Empty", "x''", std::vector<EntryIdentity>{}},
      {"One", "x'01000000000000000200000000000000'", std::vector<EntryIdentity>{{1, 2}}},
      {"FifteenBytes", "zeroblob(15)", std::nullopt},
      {"SeventeenBytes", "zeroblob(17)", std::nullopt},
      {"OneAndAHalf", "zeroblob(24)", std::nullopt},
  };
  TempFolder folder;
  const auto file = folder / "profile.sqlite3";
  ProfileStore store(file);
  for (const Row& row : rows) {
    {
      RawProfile raw(file);
      raw.Execute("INSERT OR REPLACE INTO merge_identities VALUES ('" + std::string(row.name) +
                  "', '" + kStamp + "', " + row.stored + ")");
    }
    EXPECT_EQ(store.ReadMergeIdentities(row.name, kStamp), row.expected) << row.name;
  }
}

// A merge record whose write is refused must leave the older one whole: its time and its
// identities, which only belong together.
class RefusedMergeRecord : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(store_.WriteMergeRecord(kKey, kStamp, earlier_)); }

  // Tries to record a later merge under `key`; the write must fail and leave the store as SetUp
  // made it.
  void ExpectRefused(const char* key) {
    EXPECT_FALSE(store_.WriteMergeRecord(key, "20990102030405", later_)) << key;
    EXPECT_EQ(store_.GetProfileString(kMergeTimeSection, kKey, ""), kStamp) << key;
    EXPECT_EQ(store_.ReadMergeIdentities(kKey, kStamp), earlier_) << key;
    EXPECT_EQ(store_.ReadMergeIdentities(key, "20990102030405"), std::nullopt) << key;
    EXPECT_EQ(store_.GetProfileString(kMergeTimeSection, kNewKey, "absent"), "absent") << key;
  }

  static constexpr const char* kNewKey = "/d_/c";
  TempFolder folder_;
  const std::filesystem::path file_ = folder_ / "profile.sqlite3";
  ProfileStore store_{file_};
  const std::vector<EntryIdentity> earlier_{{1, 1}, {2, 2}};
  const std::vector<EntryIdentity> later_{{3, 3}};
};

TEST_F(RefusedMergeRecord, WhenTheIdentitiesCannotBeStoredTheTimeIsNotEither) {
  {
    RawProfile raw(file_);
    raw.Execute(
        "CREATE TRIGGER refuse BEFORE INSERT ON merge_identities"
        " BEGIN SELECT RAISE(ABORT, 'refused by the test'); END");
  }
  ExpectRefused(kKey);
  ExpectRefused(kNewKey);
  EXPECT_NE(Said(store_.TakeProblem()).find("cannot write"), std::string::npos);
}

TEST_F(RefusedMergeRecord, WhenTheWriteIsRefusedNothingChanges) {
  for (const char* key : {kKey, kNewKey}) {
    faults::Arm(1);
    ExpectRefused(key);
  }
  faults::Arm(0);
  EXPECT_NE(Said(store_.TakeProblem()).find("cannot write"), std::string::npos);
}

}  // namespace
}  // namespace palvarin
