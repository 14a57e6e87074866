#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <optional>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "files/file_ops.hpp"
#include "files/folder_listing.hpp"
#include "files/io_faults.hpp"
#include "files/split_path.hpp"
#include "job/backup_rotation.hpp"
#include "support/reference_time.hpp"
#include "support/test_support.hpp"

namespace palvarin {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::ScopedTimeZone;
using test::TempFolder;
using test::WriteFile;

constexpr const char* kZone = "JST-9";

FileTime AgeOf(const std::string& path) {
  const FileFacts facts = *ReadFileFacts(path);
  return facts.birth.value_or(facts.lastWrite);
}

// Backups named input_2000010100000<i>.backup, each strictly younger than the one before:
// by birth time where the file system keeps one, else by the last-write time set here.
std::vector<std::string> MakeAgedBackups(const std::string& input, int count) {
  std::vector<std::string> made;
  FileTime previous;
  for (int i = 0; i < count; ++i) {
    const auto name = input + "_2000010100000" + std::to_string(i) + ".backup";
    do {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
      fs::remove(name);
      WriteFile(name, "backup " + std::to_string(i));
      const struct timespec times[2] = {{0, UTIME_OMIT}, {1000000000 + i, 0}};
      ::utimensat(AT_FDCWD, name.c_str(), times, 0);
    } while (AgeOf(name) <= previous);
    previous = AgeOf(name);
    made.push_back(name);
  }
  return made;
}

// Sets the current folder for the life of the object.
class ScopedCurrentFolder {
 public:
  explicit ScopedCurrentFolder(const fs::path& folder) : old_(fs::current_path()) {
    fs::current_path(folder);
  }
  ~ScopedCurrentFolder() { fs::current_path(old_); }
  ScopedCurrentFolder(const ScopedCurrentFolder&) = delete;
  ScopedCurrentFolder& operator=(const ScopedCurrentFolder&) = delete;

 private:
  fs::path old_;
};

TEST(SplitPath, CutsAfterTheLastSlashOnly) {
  struct Row {
    const char* path;
    const char* folder;
    const char* name;
  };
  for (const Row& row :
       {Row{"/logs/a/alice.xml", "/logs/a/", "alice.xml"}, Row{"alice.xml", "", "alice.xml"},
        Row{"/alice.xml", "/", "alice.xml"}, Row{"logs/", "logs/", ""}, Row{"", "", ""},
        Row{"C:\\logs\\alice.xml", "", "C:\\logs\\alice.xml"},
        Row{"c:alice.xml", "", "c:alice.xml"}, Row{"a\\b:c/d\\e.xml", "a\\b:c/", "d\\e.xml"}}) {
    const PathParts parts = SplitPath(row.path);
    EXPECT_EQ(parts.folder, row.folder) << row.path;
    EXPECT_EQ(parts.name, row.name) << row.path;
  }
}

TEST(BackupName, IsThePathAndTheLocalTimeOfTheCopy) {
  ScopedTimeZone zone(kZone);
  const TimeValue when = MakeTime(2006, 3, 15, 14, 25, 1);
  EXPECT_EQ(BackupName("/logs/alice.xml", when), "/logs/alice.xml_20060315142501.backup");
  EXPECT_EQ(BackupName("alice.xml", when), "alice.xml_20060315142501.backup");
}

TEST(ListBackups, CountsNamesThatStartWithTheFileNameAndEndInBackup) {
  TempFolder folder;
  const std::string input = folder / "alice.xml";
  WriteFile(input, "log");
  const std::vector<std::string> counted = {"alice.xml_20000101000000.backup", "alice.xml.backup",
                                            "alice.xml2_20000101000000.backup",
                                            "alice.xmlxbackup.backup"};
  const std::vector<std::string> ignored = {"Alice.xml_20000101000000.backup",
                                            "alice.xml_20000101000000.BACKUP",
                                            "alice.xml_1.backup.old",
                                            "bob.xml_20000101000000.backup",
                                            "alice.xm.backup",
                                            "alice.xml"};
  for (const auto& name : counted) WriteFile(folder / name, "b");
  for (const auto& name : ignored) WriteFile(folder / name, "b");

  auto listed = ListBackups(input);

  std::vector<std::string> expected;
  for (const auto& name : counted) expected.push_back(folder / name);
  std::sort(listed.begin(), listed.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(listed, expected);
}

struct RotationCase {
  const char* label;
  std::uint32_t maximum;
  int existing;
  std::vector<int> survivors;  // indices into the existing backups, oldest first
};

// Names the row in test listings instead of dumping its bytes.
void PrintTo(const RotationCase& row, std::ostream* out) { *out << row.label; }

class Rotation : public testing::TestWithParam<RotationCase> {};

TEST_P(Rotation, KeepsTheNewestUpToTheMaximum) {
  ScopedTimeZone zone(kZone);
  TempFolder folder;
  const std::string input = folder / "alice.xml";
  const auto made = MakeAgedBackups(input, GetParam().existing);
  WriteFile(input, "the history as it is now");
  const TimeValue now = MakeTime(2010, 9, 17, 10, 45, 43);

  ASSERT_TRUE(MakeBackupAt(input, GetParam().maximum, now));

  std::vector<std::string> expected = {BackupName(input, now)};
  for (auto at = GetParam().survivors.rbegin(); at != GetParam().survivors.rend(); ++at) {
    expected.push_back(made[*at]);
  }
  EXPECT_EQ(ListBackups(input), expected);
  EXPECT_EQ(ReadFile(expected.front()), "the history as it is now");
}

INSTANTIATE_TEST_SUITE_P(
    Maximums, Rotation,
    testing::Values(RotationCase{"NoLimit", 0, 5, {0, 1, 2, 3, 4}}, RotationCase{"One", 1, 5, {}},
                    RotationCase{"ThreeOfFive", 3, 5, {3, 4}},
                    RotationCase{"FiveOfFive", 5, 5, {1, 2, 3, 4}},
                    RotationCase{"SixOfFive", 6, 5, {0, 1, 2, 3, 4}},
                    RotationCase{"NearTwoToThe32", 4294967291u, 5, {0, 1, 2, 3, 4}},
                    RotationCase{"FirstBackup", 1, 0, {}}),
    [](const auto& row) { return std::string(row.param.label); });

TEST(MakeBackup, RotationTakesAnotherInputsBackupsButNotOtherCase) {
  ScopedTimeZone zone(kZone);
  TempFolder folder;
  const std::string input = folder / "alice.xml";
  const auto longer = MakeAgedBackups(folder / "alice.xml2", 1);
  const auto capital = MakeAgedBackups(folder / "Alice.xml", 1);
  WriteFile(input, "log");

  ASSERT_TRUE(MakeBackupAt(input, 1, MakeTime(2010, 1, 1, 0, 0, 0)));

  EXPECT_FALSE(fs::exists(longer[0]));
  EXPECT_TRUE(fs::exists(capital[0]));
}

TEST(MakeBackup, ABareFileNameWorksInTheCurrentFolder) {
  ScopedTimeZone zone(kZone);
  TempFolder folder;
  ScopedCurrentFolder current(folder.Path());
  const auto old = MakeAgedBackups("alice.xml", 1);
  WriteFile("alice.xml", "log");
  const TimeValue now = MakeTime(2010, 1, 1, 0, 0, 0);

  ASSERT_TRUE(MakeBackupAt("alice.xml", 1, now));

  EXPECT_FALSE(fs::exists(folder / old[0]));
  EXPECT_EQ(ListBackups("alice.xml"),
            (std::vector<std::string>{"alice.xml_20100101000000.backup"}));
  EXPECT_EQ(ReadFile(folder / "alice.xml_20100101000000.backup"), "log");
}

TEST(MakeBackup, TheSameSecondTwiceIsFineOnlyForTheSameContent) {
  ScopedTimeZone zone(kZone);
  TempFolder folder;
  const std::string input = folder / "alice.xml";
  WriteFile(input, "first");
  const TimeValue now = MakeTime(2010, 1, 1, 0, 0, 0);

  EXPECT_TRUE(MakeBackupAt(input, 0, now));
  EXPECT_TRUE(MakeBackupAt(input, 0, now)) << "the content is already safe";
  EXPECT_EQ(ListBackups(input).size(), 1u);

  WriteFile(input, "changed");
  const Result<> refused = MakeBackupAt(input, 0, now);
  EXPECT_FALSE(refused);
  EXPECT_NE(Said(refused).find(BackupName(input, now)), std::string::npos) << Said(refused);
  EXPECT_EQ(ReadFile(BackupName(input, now)), "first");
}

TEST(MakeBackup, AFailingCopyDeletesNoBackup) {
  ScopedTimeZone zone(kZone);
  struct Row {
    const char* label;
    bool inputExists;
    long failAt;
  };
  for (const Row& row : {Row{"InputMissing", false, 0}, Row{"RenameRefused", true, 5}}) {
    SCOPED_TRACE(row.label);
    TempFolder folder;
    const std::string input = folder / "alice.xml";
    const auto made = MakeAgedBackups(input, 3);
    if (row.inputExists) WriteFile(input, "log");

    faults::Arm(row.failAt);
    const Result<> madeBackup = MakeBackupAt(input, 1, MakeTime(2010, 1, 1, 0, 0, 0));
    faults::Arm(0);

    EXPECT_FALSE(madeBackup);
    EXPECT_FALSE(Said(madeBackup).empty());
    EXPECT_EQ(ListBackups(input), (std::vector<std::string>{made[2], made[1], made[0]}));
  }
}

// A folder that cannot be read to the end gives no list of its backups: the listing says so,
// and the rotation deletes nothing on a part of it.
TEST(MakeBackup, AListingCutShortDeletesNoBackup) {
  ScopedTimeZone zone(kZone);
  TempFolder folder;
  const std::string input = folder / "alice.xml";
  const auto made = MakeAgedBackups(input, 3);
  WriteFile(input, "log");
  const TimeValue now = MakeTime(2010, 1, 1, 0, 0, 0);

  // Six members now (".", "..", the input, three backups), seven with the new backup: the
  // listing fails after every member, then before the last.
  faults::Arm(0, -1, -1, 6);
  const Result<std::vector<std::string>> listed = ListFolder(folder.Path());
  const Result<> madeBackup = MakeBackupAt(input, 1, now);
  faults::Arm(0);

  EXPECT_FALSE(listed);
  EXPECT_EQ(listed.reason().kind, ReasonKind::CannotList);
  EXPECT_EQ(listed.code(), EIO);
  EXPECT_TRUE(madeBackup) << Said(madeBackup);
  EXPECT_EQ(ListBackups(input),
            (std::vector<std::string>{BackupName(input, now), made[2], made[1], made[0]}));
}

// Only the newest backup spares a new one: an input that an older backup holds, the newest
// differing, is backed up again.
TEST(IdenticalNewestBackup, IsTheNewestBackupOnlyWhenItHoldsTheSameBytes) {
  struct Row {
    const char* name;
    const char* input;
    std::optional<std::size_t> same;  // the backup that holds it, oldest first
  };
  for (const Row& row :
       {Row{"TheNewestHoldsIt", "backup 1", 1}, Row{"AnOlderHoldsIt", "backup 0", std::nullopt},
        Row{"NoneHoldsIt", "log", std::nullopt}}) {
    SCOPED_TRACE(row.name);
    TempFolder folder;
    const std::string input = folder / "alice.xml";
    const auto made = MakeAgedBackups(input, 2);
    WriteFile(input, row.input);
    EXPECT_EQ(IdenticalNewestBackup(input),
              row.same ? std::optional(made[*row.same]) : std::nullopt);
  }
}

TEST(MakeBackup, ABackupThatCannotBeOpenedIsTheOldest) {
  ScopedTimeZone zone(kZone);
  TempFolder folder;
  const std::string input = folder / "alice.xml";
  const auto made = MakeAgedBackups(input, 2);
  // Named as the newest, but a dangling link cannot be opened to read its age.
  const std::string unreadable = input + "_29991231235959.backup";
  fs::create_symlink(folder / "nowhere", unreadable);
  EXPECT_EQ(ListBackups(input), (std::vector<std::string>{made[1], made[0], unreadable}));
  WriteFile(input, "log");
  const TimeValue now = MakeTime(2010, 1, 1, 0, 0, 0);

  ASSERT_TRUE(MakeBackupAt(input, 2, now));

  EXPECT_FALSE(fs::is_symlink(unreadable));
  EXPECT_EQ(ListBackups(input), (std::vector<std::string>{BackupName(input, now), made[1]}));
}

TEST(MakeBackup, UsesTheCurrentTime) {
  ScopedTimeZone zone(kZone);
  TempFolder folder;
  const std::string input = folder / "alice.xml";
  WriteFile(input, "log");

  const TimeValue before = std::time(nullptr);
  ASSERT_TRUE(MakeBackup(input, 0));
  const TimeValue after = std::time(nullptr);

  const auto backups = ListBackups(input);
  ASSERT_EQ(backups.size(), 1u);
  bool named = false;
  for (TimeValue second = before; second <= after; ++second) {
    named = named || backups[0] == BackupName(input, second);
  }
  EXPECT_TRUE(named) << backups[0];
}

}  // namespace
}  // namespace palvarin
