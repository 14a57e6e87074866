#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <map>
#include <optional>
#include <random>
#include <string>

#include "files/io_faults.hpp"
#include "state/profile_store.hpp"
#include "support/test_support.hpp"

namespace palvarin {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::TempFolder;
using test::WriteFile;

TEST(ProfileLocation, ComesFromTheEnvironment) {
  struct Row {
    const char* name;
    const char* profile;
    const char* config;
    const char* home;
    const char* expected;
  };
  const Row rows[] = {
      {"ExplicitFile", "/x/p.sqlite3", "/cfg", "/home/u", "/x/p.sqlite3"},
      {"EmptyExplicitIsUnset", "", "/cfg", "/home/u", "/cfg/Ostrevik/Palvarin/profile.sqlite3"},
      {"ConfigHome", nullptr, "/cfg", "/home/u", "/cfg/Ostrevik/Palvarin/profile.sqlite3"},
      {"RelativeConfigIgnored", nullptr, "cfg", "/home/u",
       "/home/u/.config/Ostrevik/Palvarin/profile.sqlite3"},
      {"HomeDefault", nullptr, nullptr, "/home/u",
       "/home/u/.config/Ostrevik/Palvarin/profile.sqlite3"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    test::ScopedEnvironment profile("PALVARIN_PROFILE", row.profile);
    test::ScopedEnvironment config("XDG_CONFIG_HOME", row.config);
    test::ScopedEnvironment home("HOME", row.home);
    EXPECT_EQ(ProfileLocation(), fs::path(row.expected));
  }
}

TEST(ProfileStore, NamesAndTextsOfAnyKindRoundTrip) {
  TempFolder folder;
  struct Row {
    const char* label;
    std::string name;
    std::string text;
  };
  const Row rows[] = {
      {"Slashes", "/home/a/alice.xml_/home/b/alice.xml", "20060102030405"},
      {"Backslashes", "C:\\logs\\alice.xml_C:\\other\\alice.xml", "a\\b"},
      {"Colons", "c:/x:y", "1:2:3"},
      {"Newlines", "line1\nline2\r\n", "text\r\nwith lines\n"},
      {"LongName", std::string(4096, 'n') + "/" + std::string(4096, 'm'), std::string(4096, 't')},
      {"Unicode", "/履歴/アリス.xml", "メッセンジャー"},
      {"EmptyText", "empty", ""},
      {"EmptyName", "", "nameless"},
  };
  {
    ProfileStore store(folder / "profile.sqlite3");
    for (const Row& row : rows)
      EXPECT_TRUE(store.WriteProfileString("FileMergeTime", row.name, row.text)) << row.label;
  }
  ProfileStore reopened(folder / "profile.sqlite3");
  for (const Row& row : rows) {
    EXPECT_EQ(reopened.GetProfileString("FileMergeTime", row.name, "absent"), row.text)
        << row.label;
  }
  EXPECT_EQ(Said(reopened.TakeProblem()), "");
}

TEST(ProfileStore, NamesAndSectionsAreComparedExactly) {
  TempFolder folder;
  ProfileStore store(folder / "profile.sqlite3");
  ASSERT_TRUE(store.WriteProfileString("Setting", "Path1", "lower"));
  ASSERT_TRUE(store.WriteProfileString("Setting", "PATH1", "upper"));
  ASSERT_TRUE(store.WriteProfileString("FileMergeTime", "Path1", "other section"));
  ASSERT_TRUE(store.WriteProfileString("Setting", "Path1", "replaced"));

  EXPECT_EQ(store.GetProfileString("Setting", "Path1", "?"), "replaced");
  EXPECT_EQ(store.GetProfileString("Setting", "PATH1", "?"), "upper");
  EXPECT_EQ(store.GetProfileString("FileMergeTime", "Path1", "?"), "other section");
  EXPECT_EQ(store.GetProfileString("setting", "Path1", "?"), "?");
  EXPECT_EQ(store.GetProfileString("Setting", "Path1 ", "?"), "?");
}

TEST(ProfileStore, IntegersReadOnlyFromThirtyTwoBitIntegerValues) {
  TempFolder folder;
  const auto file = folder / "profile.sqlite3";
  ProfileStore store(file);
  ASSERT_TRUE(store.WriteProfileInt("Setting", "min", INT32_MIN));
  ASSERT_TRUE(store.WriteProfileInt("Setting", "max", INT32_MAX));
  ASSERT_TRUE(store.WriteProfileInt("Setting", "minusFive", -5));
  ASSERT_TRUE(store.WriteProfileString("Setting", "text", "5"));
  {
    // Values another program could have left: too wide for 32 bits, or a real number.
    sqlite3* db = nullptr;
    ASSERT_EQ(::sqlite3_open(file.c_str(), &db), SQLITE_OK);
    EXPECT_EQ(::sqlite3_exec(db,
                             "INSERT INTO profile_value VALUES ('Setting', 'wide', 4294967296),"
                             " ('Setting', 'real', 3.5)",
                             nullptr, nullptr, nullptr),
              SQLITE_OK);
    ::sqlite3_close(db);
  }

  struct Row {
    const char* name;
    std::int32_t expected;
  };
  for (const Row& row : {Row{"min", INT32_MIN}, Row{"max", INT32_MAX}, Row{"minusFive", -5},
                         Row{"text", 77}, Row{"wide", 77}, Row{"real", 77}, Row{"absent", 77}}) {
    EXPECT_EQ(store.GetProfileInt("Setting", row.name, 77), row.expected) << row.name;
  }
  EXPECT_EQ(store.GetProfileString("Setting", "max", "not a string"), "not a string");
}

TEST(ProfileStore, CreatesMissingFolders) {
  TempFolder folder;
  const auto file = folder / "a" / "b" / "profile.sqlite3";
  ProfileStore store(file);
  EXPECT_TRUE(store.IsAvailable());
  EXPECT_TRUE(store.WriteProfileInt("Setting", "BackupMax", 3));
  EXPECT_TRUE(fs::is_regular_file(file));
}

// A guard for a store whose close could hang, waiting for its write-back thread.
constexpr auto kCloseGuard = std::chrono::seconds(10);

// Counts, per thread, the flushes of database files (not of their logs) while it lives, as
// SQLite's default file system layer: a copy of the log back into the store ends in one, a
// commit with a log and normal syncing never makes one.
class StoreFlushes {
 public:
  StoreFlushes() : vfs_(*real_) {
    vfs_.zName = "palvarin-test-flushes";
    vfs_.xOpen = Open;
    ::sqlite3_vfs_register(&vfs_, 1);
  }
  ~StoreFlushes() {
    ::sqlite3_vfs_unregister(&vfs_);
    ::sqlite3_vfs_register(real_, 1);
  }
  StoreFlushes(const StoreFlushes&) = delete;
  StoreFlushes& operator=(const StoreFlushes&) = delete;
  static int OnThisThread() { return count_; }

 private:
  static int Open(sqlite3_vfs*, const char* name, sqlite3_file* file, int flags, int* outFlags) {
    const int opened = real_->xOpen(real_, name, file, flags, outFlags);
    if (opened == SQLITE_OK && file->pMethods != nullptr && (flags & SQLITE_OPEN_MAIN_DB) != 0) {
      realMethods_ = file->pMethods;
      methods_ = *file->pMethods;
      methods_.xSync = [](sqlite3_file* flushed, int syncFlags) {
        ++count_;
        return realMethods_->xSync(flushed, syncFlags);
      };
      file->pMethods = &methods_;
    }
    return opened;
  }

  static inline sqlite3_vfs* const real_ = ::sqlite3_vfs_find(nullptr);
  static inline const sqlite3_io_methods* realMethods_ = nullptr;
  static inline sqlite3_io_methods methods_{};
  static inline thread_local int count_ = 0;
  sqlite3_vfs vfs_;
};

// A long-lived store (the dialog keeps one open) must not only log its writes: the log is
// copied back into the store while it is open, not left for the close, and by a thread of its
// own, never by the one that commits, which would hold the store for every other meanwhile.
TEST(ProfileStore, WhileOpenItsLogIsCopiedBackByAThreadOfItsOwn) {
  TempFolder folder;
  test::RunGuarded(kCloseGuard, [&] {
    const auto file = folder / "profile.sqlite3";
    const StoreFlushes flushes;
    ProfileStore store(file);
    const std::string value(4096, 'x');
    constexpr int kValues = 100;  // some 200 pages of the log, fewer than SQLite waits for
    const int flushed = StoreFlushes::OnThisThread();
    for (int n = 0; n < kValues; ++n) {
      ASSERT_TRUE(store.WriteProfileString("FileMergeTime", "/a/" + std::to_string(n), value));
    }
    EXPECT_EQ(StoreFlushes::OnThisThread(), flushed) << "the committing thread copied back";
    EXPECT_TRUE(test::Eventually([&] { return fs::file_size(file) > kValues * value.size(); },
                                 kCloseGuard / 2))
        << "the store file stayed at " << fs::file_size(file) << " bytes";
    EXPECT_EQ(store.GetProfileString("FileMergeTime", "/a/0", ""), value);
  });
}

TEST(ProfileStore, TwoProcessesWritingAtOnceLoseNothing) {
  TempFolder folder;
  const auto file = folder / "profile.sqlite3";
  constexpr int kRecords = 500;
  pid_t children[2];
  for (int child = 0; child < 2; ++child) {
    children[child] = ::fork();
    ASSERT_GE(children[child], 0);
    if (children[child] == 0) {
      // Each process has its own connection, as separate Palvarin runs would.
      ProfileStore store(file);
      int failures = 0;
      for (int n = 0; n < kRecords; ++n) {
        const auto name = "/p" + std::to_string(child) + "/file" + std::to_string(n) + ".xml";
        if (!store.WriteProfileString("FileMergeTime", name, std::to_string(n))) ++failures;
      }
      ::_exit(failures == 0 ? 0 : 1);
    }
  }
  for (pid_t child : children) {
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a write failed in a child";
  }
  ProfileStore store(file);
  int missing = 0;
  for (int child = 0; child < 2; ++child) {
    for (int n = 0; n < kRecords; ++n) {
      const auto name = "/p" + std::to_string(child) + "/file" + std::to_string(n) + ".xml";
      if (store.GetProfileString("FileMergeTime", name, "") != std::to_string(n)) ++missing;
    }
  }
  EXPECT_EQ(missing, 0);
}

std::string RandomBytes(std::size_t count) {
  std::mt19937 random(4);
  std::string bytes(count, '\0');
  for (char& byte : bytes) byte = static_cast<char>(random());
  return bytes;
}

// A real store whose later pages were overwritten: the header still says SQLite.
std::string DamagedStore(const fs::path& file) {
  {
    ProfileStore store(file);
    for (int n = 0; n < 40; ++n) {
      store.WriteProfileString("FileMergeTime", "/a/" + std::to_string(n), std::string(1000, 'x'));
    }
  }
  std::string bytes = ReadFile(file);
  // Every page after the first, whatever the page size (big-endian at offset 16).
  const std::size_t page = static_cast<std::size_t>(static_cast<unsigned char>(bytes[16]) << 8 |
                                                    static_cast<unsigned char>(bytes[17]));
  bytes.replace(page, bytes.size() - page, RandomBytes(bytes.size() - page));
  return bytes;
}

class UnreadableStore : public testing::TestWithParam<bool> {};

TEST_P(UnreadableStore, GivesDefaultsOneWarningAndStaysAsItIs) {
  TempFolder folder;
  const auto file = folder / "profile.sqlite3";
  const std::string bytes = GetParam() ? DamagedStore(file) : RandomBytes(8192);
  WriteFile(file, bytes);

  ProfileStore store(file);

  EXPECT_FALSE(store.IsAvailable());
  EXPECT_EQ(store.GetProfileString("Setting", "InTarget", "Folder"), "Folder");
  EXPECT_EQ(store.GetProfileInt("Setting", "BackupMax", 0), 0);
  EXPECT_FALSE(store.WriteProfileString("Setting", "Path1", "/somewhere"));
  EXPECT_FALSE(store.WriteProfileInt("Setting", "BackupMax", 4));
  const std::string warning = Said(store.TakeProblem());
  EXPECT_NE(warning.find(file.string()), std::string::npos) << warning;
  EXPECT_EQ(Said(store.TakeProblem()), "") << "the warning is given once";
  EXPECT_EQ(ReadFile(file), bytes);
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.Path()), fs::directory_iterator()), 1);
}

INSTANTIATE_TEST_SUITE_P(Files, UnreadableStore, testing::Values(false, true), [](const auto& row) {
  return std::string(row.param ? "DamagedPages" : "RandomBytes");
});

TEST(ProfileStore, AnUnusableLocationLosesNothingElseAndSaysSo) {
  TempFolder folder;
  const auto blocker = folder / "blocker";
  WriteFile(blocker, "a regular file where a folder should be");

  ProfileStore store(blocker / "Palvarin" / "profile.sqlite3");

  EXPECT_FALSE(store.IsAvailable());
  EXPECT_EQ(store.GetProfileString("Setting", "OutTarget", "OverWrite"), "OverWrite");
  EXPECT_FALSE(store.WriteProfileString("FileMergeTime", "a_b", "20060102030405"));
  EXPECT_NE(Said(store.TakeProblem()).find(blocker.string()), std::string::npos);
  EXPECT_EQ(ReadFile(blocker), "a regular file where a folder should be");
}

TEST(ProfileStore, ARefusedWriteKeepsTheOlderValueAndIsReported) {
  TempFolder folder;
  ProfileStore store(folder / "profile.sqlite3");
  ASSERT_TRUE(store.WriteProfileString("FileMergeTime", "a_b", "20060102030405"));
  EXPECT_EQ(Said(store.TakeProblem()), "") << "a healthy store has nothing to say";

  faults::Arm(1);
  EXPECT_FALSE(store.WriteProfileString("FileMergeTime", "a_b", "20990102030405"));
  faults::Arm(0);

  EXPECT_EQ(store.GetProfileString("FileMergeTime", "a_b", ""), "20060102030405");
  EXPECT_NE(Said(store.TakeProblem()).find("cannot write"), std::string::npos);
  EXPECT_TRUE(store.WriteProfileString("FileMergeTime", "a_b", "20070102030405"));
}

// Every file in `folder`, with its bytes.
std::map<std::string, std::string> FilesIn(const fs::path& folder) {
  std::map<std::string, std::string> files;
  if (!fs::exists(folder)) return files;
  for (const auto& item : fs::directory_iterator(folder)) {
    files[item.path().filename().string()] = ReadFile(item.path());
  }
  return files;
}

// A read-only store creates nothing: not the file, not its folder, nothing beside an existing
// one; it reads what is stored (a folder name with URI characters included) and refuses writes.
TEST(ProfileStore, ReadOnlyCreatesNothingAndReadsWhatIsThere) {
  TempFolder temp;
  {
    const fs::path absent = temp / "not yet" / "profile.sqlite3";
    ProfileStore store(absent, ProfileAccess::ReadOnly);
    EXPECT_EQ(store.GetProfileString(kSettingSection, "Path1", "none"), "none");
    EXPECT_FALSE(store.WriteProfileString(kSettingSection, "Path1", "x"));
    EXPECT_TRUE(store.TakeProblem());
    EXPECT_FALSE(fs::exists(absent.parent_path()));
  }
  for (const char* name : {"plain", "with ?#% and space"}) {
    const fs::path folder = temp / name;
    const fs::path file = folder / "profile.sqlite3";
    {
      ProfileStore writer(file);
      ASSERT_TRUE(writer.WriteProfileString(kSettingSection, "Path1", "stored"));
      ASSERT_TRUE(writer.WriteProfileInt(kSettingSection, "BackupMax", 7));
    }
    const auto before = FilesIn(folder);
    {
      ProfileStore reader(file, ProfileAccess::ReadOnly);
      EXPECT_EQ(reader.GetProfileString(kSettingSection, "Path1", "none"), "stored") << name;
      EXPECT_EQ(reader.GetProfileInt(kSettingSection, "BackupMax", 0), 7) << name;
      EXPECT_FALSE(reader.WriteProfileInt(kSettingSection, "BackupMax", 9)) << name;
      EXPECT_EQ(FilesIn(folder), before) << name << ": something was written beside the store";
    }
    EXPECT_EQ(FilesIn(folder), before) << name;
  }
}

}  // namespace
}  // namespace palvarin
