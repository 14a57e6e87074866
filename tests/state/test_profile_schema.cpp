#include <gtest/gtest.h>

#include <iterator>
#include <ostream>
#include <string>

#include "raw_profile.hpp"
#include "state/profile_store.hpp"
#include "support/test_support.hpp"

namespace palvarin {
namespace {

namespace fs = std::filesystem;
using test::RawProfile;
using test::ReadFile;
using test::TempFolder;

// The only table profiles had before they carried a schema version.
constexpr const char* kVersionZeroTable =
    "CREATE TABLE profile_value (section TEXT NOT NULL, name TEXT NOT NULL, value,"
    " PRIMARY KEY (section, name)) WITHOUT ROWID;";

// Settings and merge times of both kinds a profile holds.
constexpr const char* kRecords =
    "INSERT INTO profile_value VALUES ('Setting', 'Path1', '/home/a/pc1'),"
    " ('Setting', 'BackupMax', 3), ('FileMergeTime', '/b/x.xml_/a/x.xml', '20060102030405'),"
    " ('FileMergeTime', '/d/y.xml_/c/y.xml', '20070102030405');";

constexpr const char* kHasIdentityTable =
    "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = 'merge_identities'";

void ExpectRecordsKept(ProfileStore& store) {
  EXPECT_EQ(store.GetProfileString(kSettingSection, "Path1", ""), "/home/a/pc1");
  EXPECT_EQ(store.GetProfileInt(kSettingSection, "BackupMax", 0), 3);
  EXPECT_EQ(store.GetProfileString(kMergeTimeSection, "/b/x.xml_/a/x.xml", ""), "20060102030405");
  EXPECT_EQ(store.GetProfileString(kMergeTimeSection, "/d/y.xml_/c/y.xml", ""), "20070102030405");
}

TEST(ProfileSchema, ANewProfileStartsAtTheCurrentVersion) {
  TempFolder folder;
  const auto file = folder / "profile.sqlite3";
  { ProfileStore store(file); }
  RawProfile raw(file);
  EXPECT_EQ(raw.Integer("PRAGMA user_version"), 1);
  EXPECT_EQ(raw.Integer(kHasIdentityTable), 1);
}

TEST(ProfileSchema, AVersionZeroProfileIsUpgradedKeepingEveryRecord) {
  TempFolder folder;
  const auto file = folder / "profile.sqlite3";
  {
    RawProfile raw(file);
    raw.Execute(std::string(kVersionZeroTable) + kRecords);
  }

  {
    ProfileStore store(file);
    EXPECT_TRUE(store.IsAvailable());
    EXPECT_EQ(Said(store.TakeProblem()), "");
    ExpectRecordsKept(store);
    EXPECT_EQ(store.ReadMergeIdentities("/b/x.xml_/a/x.xml", "20060102030405"), std::nullopt);
    const EntryIdentity identity{7, 9};
    EXPECT_TRUE(store.WriteMergeRecord("/b/x.xml_/a/x.xml", "20080102030405", {&identity, 1}));
  }
  RawProfile raw(file);
  EXPECT_EQ(raw.Integer("PRAGMA user_version"), 1);
  EXPECT_EQ(raw.Integer(kHasIdentityTable), 1);
  EXPECT_EQ(raw.Integer("SELECT count(*) FROM profile_value"), 4);
  EXPECT_EQ(raw.Integer("SELECT count(*) FROM merge_identities"), 1);
}

struct NewerProfileRow {
  const char* name;
  const char* journalMode;
};

void PrintTo(const NewerProfileRow& row, std::ostream* out) { *out << row.name; }

class NewerProfile : public testing::TestWithParam<NewerProfileRow> {};

TEST_P(NewerProfile, IsReadButNeverChanged) {
  TempFolder folder;
  const auto file = folder / "profile.sqlite3";
  {
    RawProfile raw(file);
    raw.Execute(std::string("PRAGMA journal_mode=") + GetParam().journalMode + ";" +
                kVersionZeroTable + kRecords +
                "CREATE TABLE later_feature (x); PRAGMA user_version = 2;");
  }
  const std::string bytes = ReadFile(file);

  {
    ProfileStore store(file);
    EXPECT_TRUE(store.IsAvailable());
    ExpectRecordsKept(store);
    EXPECT_FALSE(store.WriteProfileString(kSettingSection, "Path1", "/elsewhere"));
    EXPECT_FALSE(store.WriteProfileInt(kSettingSection, "BackupMax", 5));
    const EntryIdentity identity{1, 2};
    EXPECT_FALSE(store.WriteMergeRecord("/b/x.xml_/a/x.xml", "20990102030405", {&identity, 1}));
    ExpectRecordsKept(store);
    const std::string warning = Said(store.TakeProblem());
    EXPECT_NE(warning.find(file.string()), std::string::npos) << warning;
    EXPECT_NE(warning.find("newer version"), std::string::npos) << warning;
    EXPECT_EQ(Said(store.TakeProblem()), "") << "the warning is given once";
  }

  EXPECT_EQ(ReadFile(file), bytes);
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.Path()), fs::directory_iterator()), 1);
}

INSTANTIATE_TEST_SUITE_P(JournalModes, NewerProfile,
                         testing::Values(NewerProfileRow{"RollbackJournal", "DELETE"},
                                         NewerProfileRow{"WriteAheadLog", "WAL"}),
                         test::RowName);

}  // namespace
}  // namespace palvarin
