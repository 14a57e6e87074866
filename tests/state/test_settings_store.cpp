#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <ostream>
#include <string>

#include "state/settings_store.hpp"
#include "support/test_support.hpp"

namespace palvarin {
namespace {

using test::TempFolder;

MergeSettings Loaded(ProfileStore& store) {
  MergeSettings settings;
  settings.Path1 = "left over";
  settings.InTarget = InTarget::File;
  settings.CreateBackup = false;
  settings.BackupMax = 9;
  LoadSettings(store, settings);
  return settings;
}

TEST(LoadSettings, AnEmptyProfileGivesTheDefaults) {
  TempFolder folder;
  ProfileStore store(folder / "profile.sqlite3");

  const MergeSettings settings = Loaded(store);

  EXPECT_EQ(settings, MergeSettings{});
  EXPECT_EQ(settings.Path1, "");
  EXPECT_EQ(settings.Path2, "");
  EXPECT_EQ(settings.PathSave, "");
  EXPECT_EQ(settings.InTarget, InTarget::Folder);
  EXPECT_EQ(settings.OutTarget, OutTarget::OverWrite);
  EXPECT_TRUE(settings.CreateBackup);
  EXPECT_EQ(settings.BackupMax, 0u);
  EXPECT_TRUE(settings.NotMergeSameDatetime);
  EXPECT_TRUE(settings.IgnoreOldMerge);
  EXPECT_TRUE(settings.FindEchoes);
}

// One stored value each; every other field keeps its default.
struct TextRule {
  const char* label;
  const char* value;
  const char* stored;
  std::function<void(MergeSettings&)> expect;
};

// Names the row in test listings instead of dumping its bytes.
void PrintTo(const TextRule& row, std::ostream* out) { *out << row.label; }

class TextForms : public testing::TestWithParam<TextRule> {};

TEST_P(TextForms, LoadAsTheRulesSay) {
  TempFolder folder;
  ProfileStore store(folder / "profile.sqlite3");
  ASSERT_TRUE(store.WriteProfileString(kSettingSection, GetParam().value, GetParam().stored));
  MergeSettings expected;
  GetParam().expect(expected);

  EXPECT_EQ(Loaded(store), expected);
}

const auto kFile = [](MergeSettings& s) { s.InTarget = InTarget::File; };
const auto kOtherFile = [](MergeSettings& s) { s.OutTarget = OutTarget::OtherFile; };
const auto kNoBackup = [](MergeSettings& s) { s.CreateBackup = false; };
const auto kNoSkip = [](MergeSettings& s) { s.NotMergeSameDatetime = false; };
const auto kNoArchive = [](MergeSettings& s) { s.IgnoreOldMerge = false; };
const auto kKeepEchoes = [](MergeSettings& s) { s.FindEchoes = false; };
const auto kDefaults = [](MergeSettings&) {};

INSTANTIATE_TEST_SUITE_P(
    Settings, TextForms,
    testing::Values(TextRule{"PathVerbatim", "Path1", "  /a b/ロ\\g.xml ",
                             [](MergeSettings& s) { s.Path1 = "  /a b/ロ\\g.xml "; }},
                    TextRule{"Path2Verbatim", "Path2", "relative/x.xml",
                             [](MergeSettings& s) { s.Path2 = "relative/x.xml"; }},
                    TextRule{"PathSaveVerbatim", "PathSave", "/out/",
                             [](MergeSettings& s) { s.PathSave = "/out/"; }},
                    TextRule{"InTargetFolder", "InTarget", "Folder", kDefaults},
                    TextRule{"InTargetFile", "InTarget", "File", kFile},
                    TextRule{"InTargetLowerFile", "InTarget", "file", kFile},
                    TextRule{"InTargetLowerFolder", "InTarget", "folder", kFile},
                    TextRule{"InTargetEmpty", "InTarget", "", kFile},
                    TextRule{"InTargetFolderBlank", "InTarget", "Folder ", kFile},
                    TextRule{"OutTargetOverWrite", "OutTarget", "OverWrite", kDefaults},
                    TextRule{"OutTargetOtherFile", "OutTarget", "OtherFile", kOtherFile},
                    TextRule{"OutTargetLower", "OutTarget", "overwrite", kOtherFile},
                    TextRule{"OutTargetEmpty", "OutTarget", "", kOtherFile},
                    TextRule{"CreateBackupTrue", "CreateBackup", "true", kDefaults},
                    TextRule{"CreateBackupFalse", "CreateBackup", "false", kNoBackup},
                    TextRule{"CreateBackupCapitals", "CreateBackup", "TRUE", kNoBackup},
                    TextRule{"CreateBackupDigit", "CreateBackup", "1", kNoBackup},
                    TextRule{"CreateBackupEmpty", "CreateBackup", "", kNoBackup},
                    TextRule{"SkipFalse", "NotMergeSameDatetime", "false", kNoSkip},
                    TextRule{"SkipCapitalised", "NotMergeSameDatetime", "True", kNoSkip},
                    TextRule{"ArchiveFalse", "IgnoreOldMerge", "false", kNoArchive},
                    TextRule{"ArchiveEmpty", "IgnoreOldMerge", "", kNoArchive},
                    TextRule{"EchoesTrue", "FindEchoes", "true", kDefaults},
                    TextRule{"EchoesFalse", "FindEchoes", "false", kKeepEchoes},
                    TextRule{"BackupMaxAsText", "BackupMax", "7", kDefaults}),
    [](const auto& row) { return std::string(row.param.label); });

TEST(LoadSettings, BackupMaxReadsTheIntegerAsUnsigned) {
  TempFolder folder;
  ProfileStore store(folder / "profile.sqlite3");
  ASSERT_TRUE(store.WriteProfileInt(kSettingSection, "BackupMax", -5));
  EXPECT_EQ(Loaded(store).BackupMax, 4294967291u);
  ASSERT_TRUE(store.WriteProfileInt(kSettingSection, "BackupMax", 100));
  EXPECT_EQ(Loaded(store).BackupMax, 100u);
}

TEST(SaveSettings, WritesTheExactTextForms) {
  TempFolder folder;
  ProfileStore store(folder / "profile.sqlite3");
  MergeSettings settings;
  settings.InTarget = InTarget::File;
  settings.OutTarget = OutTarget::OtherFile;
  settings.CreateBackup = false;
  settings.BackupMax = 4294967291u;

  ASSERT_TRUE(SaveSettings(store, settings));

  auto text = [&](const char* name) { return store.GetProfileString(kSettingSection, name, "?"); };
  EXPECT_EQ(text("Path1"), "");
  EXPECT_EQ(text("InTarget"), "File");
  EXPECT_EQ(text("OutTarget"), "OtherFile");
  EXPECT_EQ(text("CreateBackup"), "false");
  EXPECT_EQ(text("NotMergeSameDatetime"), "true");
  EXPECT_EQ(text("IgnoreOldMerge"), "true");
  EXPECT_EQ(text("FindEchoes"), "true");
  EXPECT_EQ(store.GetProfileInt(kSettingSection, "BackupMax", 0), -5);

  ASSERT_TRUE(SaveSettings(store, MergeSettings{}));
  EXPECT_EQ(text("InTarget"), "Folder");
  EXPECT_EQ(text("OutTarget"), "OverWrite");
  EXPECT_EQ(text("CreateBackup"), "true");
}

TEST(SaveSettings, SaveThenLoadGivesTheSameRecord) {
  MergeSettings flipped;
  flipped.Path1 = "/home/a/履歴";
  flipped.Path2 = "/mnt/b\\c:d";
  flipped.PathSave = "/out";
  flipped.InTarget = InTarget::File;
  flipped.OutTarget = OutTarget::OtherFile;
  flipped.CreateBackup = false;
  flipped.BackupMax = 4294967291u;
  flipped.NotMergeSameDatetime = false;
  flipped.IgnoreOldMerge = false;
  flipped.FindEchoes = false;
  MergeSettings limits;
  limits.BackupMax = 2147483648u;
  MergeSettings hundred;
  hundred.BackupMax = 100;

  for (const MergeSettings& settings : {MergeSettings{}, flipped, limits, hundred}) {
    TempFolder folder;
    {
      ProfileStore store(folder / "profile.sqlite3");
      ASSERT_TRUE(SaveSettings(store, settings));
    }
    ProfileStore reopened(folder / "profile.sqlite3");
    EXPECT_EQ(Loaded(reopened), settings) << settings.BackupMax;
  }
}

// A path is stored as the place it names, so that a dialog or a job started from another folder
// finds it: absolute, without "." parts and doubled or trailing separators. Links stay as
// written; a ".." after one goes where the system takes it, not back over the link's name.
TEST(SaveSettings, StoresEachPathAbsolute) {
  TempFolder folder;
  const std::filesystem::path here = std::filesystem::canonical(folder.Path());
  std::filesystem::create_directories(here / "far" / "away");
  std::filesystem::create_symlink(here / "far" / "away", here / "link");
  const struct {
    const char* name;
    std::string given;
    std::string stored;
  } rows[] = {
      {"Relative", "ow/pcA", (here / "ow" / "pcA").string()},
      {"DotsAndSeparators", ".//ow/./pcA/", (here / "ow" / "pcA").string()},
      {"Parent", "ow/../pcB", (here / "pcB").string()},
      {"LinkKept", "link/x.xml", (here / "link" / "x.xml").string()},
      {"ParentAfterALink", "link/../x.xml", (here / "far" / "x.xml").string()},
      {"AbsoluteAsItIs", "/a b/ロ\\g.xml", "/a b/ロ\\g.xml"},
      {"EmptyStaysEmpty", "", ""},
  };
  const test::ScopedWorkingFolder working(here);
  ProfileStore store(here / "profile.sqlite3");
  for (const auto& row : rows) {
    MergeSettings settings;
    settings.Path1 = row.given;
    settings.Path2 = row.given;
    settings.PathSave = row.given;
    ASSERT_TRUE(SaveSettings(store, settings)) << row.name;
    const MergeSettings loaded = Loaded(store);
    EXPECT_EQ(loaded.Path1, row.stored) << row.name;
    EXPECT_EQ(loaded.Path2, row.stored) << row.name;
    EXPECT_EQ(loaded.PathSave, row.stored) << row.name;
  }
}

}  // namespace
}  // namespace palvarin
