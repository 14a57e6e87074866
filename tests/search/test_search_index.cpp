// The index in the cache: a history changed since it was indexed is read again, an index that
// is damaged (which is said) or of another version is made anew, one that cannot be used is done
// without, and nothing is ever written beside the histories.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <map>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "search/run_search.hpp"
#include "search/search_query.hpp"
#include "search_fixtures.hpp"
#include "sqlite/checked_pages.hpp"
#include "support/history_builder.hpp"

namespace palvarin {
namespace {

namespace fs = std::filesystem;
using test::PlainScan;
using test::ReadFile;
using test::WriteFile;

// Runs `sql` on the database `file`, as the program reads and writes it (keeping its pages'
// checksums); its first column of the first row as text ("" for none).
std::string Sql(const fs::path& file, const char* sql) {
  sqlite3* db = nullptr;
  std::string first;
  if (::sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                        CheckedPagesVfs()) == SQLITE_OK) {
    sqlite3_stmt* statement = nullptr;
    if (::sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) == SQLITE_OK &&
        ::sqlite3_step(statement) == SQLITE_ROW && ::sqlite3_column_text(statement, 0)) {
      first = reinterpret_cast<const char*>(::sqlite3_column_text(statement, 0));
    }
    ::sqlite3_finalize(statement);
  }
  ::sqlite3_close(db);
  return first;
}

SearchReport Search(const fs::path& path, const char* query) {
  return RunSearch(path.string(), QueryWords(query));
}

constexpr const char* kOld = "甲乙丙丁";  // in contact1.xml before each change
constexpr const char* kNew = "戊己庚辛";  // the same number of bytes

void Rewrite(const fs::path& file, const char* from, const char* to) {
  std::string bytes = ReadFile(file);
  bytes.replace(bytes.find(from), std::string_view(from).size(), to);
  WriteFile(file, bytes);
}

const struct ChangeRow {
  const char* name;
  void (*change)(const fs::path& file);
} kChanges[] = {
    {"AMessageAdded",
     [](const fs::path& file) {
       Rewrite(file, "</Log>", "<Message><Text>戊己庚辛</Text></Message></Log>");
     }},
    // Only the change time tells: the size is the same and the last-write time is put back.
    {"SameSizeAndLastWriteTimePutBack",
     [](const fs::path& file) {
       const auto written = fs::last_write_time(file);
       Rewrite(file, kOld, kNew);
       fs::last_write_time(file, written);
     }},
    {"ReplacedByRenaming",
     [](const fs::path& file) {
       WriteFile(file.string() + ".new", ReadFile(file));
       Rewrite(file.string() + ".new", kOld, kNew);
       fs::rename(file.string() + ".new", file);
     }},
    {"Removed", [](const fs::path& file) { fs::remove(file); }},
};

void PrintTo(const ChangeRow& row, std::ostream* out) { *out << row.name; }

class ChangedHistory : public ::testing::TestWithParam<ChangeRow> {};

TEST_P(ChangedHistory, IsSearchedAfresh) {
  test::SearchFolders folders;
  const fs::path file = folders.Generated() / "contact1.xml";
  Rewrite(file, "plain words only", kOld);
  ASSERT_EQ(Search(folders.Generated(), kOld).hits.size(), 1u);
  GetParam().change(file);
  // Words of one and two characters too, which the index narrows down differently.
  for (const char* query : {kOld, kNew, "雨", "己庚", "辛"}) {
    EXPECT_EQ(test::Found(Search(folders.Generated(), query)),
              PlainScan(folders.Generated(), query))
        << query;
  }
}

INSTANTIATE_TEST_SUITE_P(Changes, ChangedHistory, ::testing::ValuesIn(kChanges), test::RowName);

// Flips one bit of each stored copy of `bytes` in the rows of the index's trigram table, through
// SQLite as another program would, not as this one writes: every trigram that starts with them
// reads as another, and nothing about the rows is malformed. How many it flipped.
int FlipBitsOf(const fs::path& index, std::string_view bytes) {
  sqlite3* db = nullptr;
  ::sqlite3_open(index.c_str(), &db);
  std::vector<std::pair<std::int64_t, std::string>> rows;
  sqlite3_stmt* read = nullptr;
  ::sqlite3_prepare_v2(db, "SELECT id, block FROM history_words_data", -1, &read, nullptr);
  while (::sqlite3_step(read) == SQLITE_ROW) {
    rows.emplace_back(::sqlite3_column_int64(read, 0),
                      std::string(static_cast<const char*>(::sqlite3_column_blob(read, 1)),
                                  static_cast<std::size_t>(::sqlite3_column_bytes(read, 1))));
  }
  ::sqlite3_finalize(read);
  int flipped = 0;
  sqlite3_stmt* write = nullptr;
  ::sqlite3_prepare_v2(db, "UPDATE history_words_data SET block = ?2 WHERE id = ?1", -1, &write,
                       nullptr);
  for (auto& [id, block] : rows) {
    for (auto at = block.find(bytes); at != std::string::npos; at = block.find(bytes, at + 1)) {
      block[at + bytes.size() - 1] ^= 1;
      ++flipped;
    }
    ::sqlite3_bind_int64(write, 1, id);
    ::sqlite3_bind_blob(write, 2, block.data(), static_cast<int>(block.size()), SQLITE_STATIC);
    ::sqlite3_step(write);
    ::sqlite3_reset(write);
  }
  ::sqlite3_finalize(write);
  ::sqlite3_close(db);
  return flipped;
}

const struct DamageRow {
  const char* name;
  void (*damage)(const fs::path& index);
  bool damaged = false;  // said to be so, rather than of another layout or needing a clean-up
} kDamages[] = {
    {"GarbageOverTheWholeFile",
     [](const fs::path& index) { WriteFile(index, std::string(fs::file_size(index), 'x')); }, true},
    {"GarbageOverTheHeader",
     [](const fs::path& index) {
       std::string bytes = ReadFile(index);
       bytes.replace(0, 100, std::string(100, '\x5a'));
       WriteFile(index, bytes);
     },
     true},
    {"CutInHalf", [](const fs::path& index) { fs::resize_file(index, fs::file_size(index) / 2); },
     true},
    // A trigram that no longer reads as itself finds nothing, and FTS5 sees nothing wrong: the
    // pages' checksums tell.
    {"BitsFlippedInTheTrigramRows",
     [](const fs::path& index) { ASSERT_GT(FlipBitsOf(index, "雨"), 0); }, true},
    {"OfANewerVersion", [](const fs::path& index) { Sql(index, "PRAGMA user_version = 6"); }},
    // The first layout kept a trigram row per message, the second the messages themselves:
    // such a cache is made anew, not misread.
    {"OfTheFirstLayout", [](const fs::path& index) { Sql(index, "PRAGMA user_version = 1"); }},
    {"OfTheSecondLayout", [](const fs::path& index) { Sql(index, "PRAGMA user_version = 2"); }},
    // The third kept nothing of folders, and did not forget it when it started afresh.
    {"OfTheThirdLayout", [](const fs::path& index) { Sql(index, "PRAGMA user_version = 3"); }},
    // The fourth kept no checksums on its pages.
    {"OfTheFourthLayout", [](const fs::path& index) { Sql(index, "PRAGMA user_version = 4"); }},
    {"WithAGarbledFolderRecord",
     [](const fs::path& index) { Sql(index, "UPDATE folder SET histories = x'0300000061'"); }},
    // Histories read again leave their old trigram rows behind: past a point, it starts afresh.
    {"WithManyUnreachableRows",
     [](const fs::path& index) {
       Sql(index, "UPDATE sqlite_sequence SET seq = 100000 WHERE name = 'history'");
     }},
    {"AnotherProgramsDatabase",
     [](const fs::path& index) {
       fs::remove(index);
       Sql(index, "CREATE TABLE history (anything)");
     }},
};

void PrintTo(const DamageRow& row, std::ostream* out) { *out << row.name; }

class DamagedIndex : public ::testing::TestWithParam<DamageRow> {};

TEST_P(DamagedIndex, IsMadeAnewAndTheAnswerIsRight) {
  test::SearchFolders folders;
  ASSERT_FALSE(Search(folders.Generated(), "雨").hits.empty());
  GetParam().damage(folders.IndexFile());
  const SearchReport report = Search(folders.Generated(), "雨");
  EXPECT_TRUE(report.searched && report.unread.empty());
  EXPECT_EQ(report.indexUnusable.kind, ReasonKind::None) << Word(report.indexUnusable);
  EXPECT_EQ(test::Found(report), PlainScan(folders.Generated(), "雨"));
  EXPECT_EQ(report.indexRebuilt.kind == ReasonKind::SearchIndexDamaged, GetParam().damaged);
  if (GetParam().damaged) {
    EXPECT_NE(Word(report.indexRebuilt).find(folders.IndexFile().string()), std::string::npos);
  }
  EXPECT_EQ(Sql(folders.IndexFile(), "PRAGMA user_version"), "5");
  EXPECT_EQ(Sql(folders.IndexFile(), "SELECT count(*) FROM history"), "3");
  EXPECT_EQ(Sql(folders.IndexFile(), "SELECT seq FROM sqlite_sequence"), "3");
}

INSTANTIATE_TEST_SUITE_P(Damages, DamagedIndex, ::testing::ValuesIn(kDamages), test::RowName);

// The folder record of the index: when the last search looked at `folder`, long after its
// last change (ten seconds), as if the folder had been still since well before that search.
void LookedAtLongAfter(const fs::path& index) {
  Sql(index, "UPDATE folder SET looked_at = max(modified, changed) + 10000000000");
}

// The folder's own status as the index keeps it.
std::string StateOf(const fs::path& folder) {
  struct stat info {};
  ::stat(folder.c_str(), &info);
  const auto nanoseconds = [](const timespec& time) {
    return std::to_string(static_cast<long long>(time.tv_sec) * 1000000000 + time.tv_nsec);
  };
  return "modified = " + nanoseconds(info.st_mtim) + ", changed = " + nanoseconds(info.st_ctim) +
         ", inode = " + std::to_string(info.st_ino);
}

// A history added to `folder`, the index keeping the folder's state now as looked at
// `nanoseconds` after that change, as if the look had just missed the new name.
void AddedAndLookedAt(const fs::path& folder, const fs::path& index, long long nanoseconds) {
  fs::copy_file(folder / "contact1.xml", folder / "contact3.xml");
  Sql(index, ("UPDATE folder SET " + StateOf(folder)).c_str());
  Sql(index, ("UPDATE folder SET looked_at = changed + " + std::to_string(nanoseconds)).c_str());
}

// What the last search of a folder saw of it stands only while the folder is as it was then:
// a name made, removed or renamed since is found by listing the folder again.
const struct FolderChangeRow {
  const char* name;
  void (*change)(const fs::path& folder, const fs::path& index);
} kFolderChanges[] = {
    {"AHistoryAdded",
     [](const fs::path& folder, const fs::path&) {
       fs::copy_file(folder / "contact1.xml", folder / "contact3.xml");
     }},
    {"AHistoryRemoved",
     [](const fs::path& folder, const fs::path&) { fs::remove(folder / "contact0.xml"); }},
    {"AHistoryRenamed",
     [](const fs::path& folder, const fs::path&) {
       fs::rename(folder / "contact2.xml", folder / "renamed.xml");
     }},
    // Only the change time tells: the last-write time is put back.
    {"AddedWithTheLastWriteTimePutBack",
     [](const fs::path& folder, const fs::path&) {
       const auto written = fs::last_write_time(folder);
       fs::copy_file(folder / "contact1.xml", folder / "contact3.xml");
       fs::last_write_time(folder, written);
     }},
    {"TheFolderReplacedByAnother",
     [](const fs::path& folder, const fs::path&) {
       fs::rename(folder, folder.string() + ".old");
       fs::create_directory(folder);
       fs::copy_file(folder.string() + ".old/contact1.xml", folder / "contact1.xml");
     }},
    // Looked at in the same tick of the file system's clock as the change: the state the index
    // kept is the folder's state now, yet the new name was not seen.
    {"AddedAsTheFolderWasLookedAt",
     [](const fs::path& folder, const fs::path& index) { AddedAndLookedAt(folder, index, 0); }},
    // A clock of two-second steps (FAT's) stamps a change up to two seconds before the look
    // that missed it.
    {"AddedTwoSecondsBeforeTheLook",
     [](const fs::path& folder, const fs::path& index) {
       AddedAndLookedAt(folder, index, 2'000'000'000);
     }},
};

void PrintTo(const FolderChangeRow& row, std::ostream* out) { *out << row.name; }

class ChangedFolder : public ::testing::TestWithParam<FolderChangeRow> {};

TEST_P(ChangedFolder, IsListedAfresh) {
  test::SearchFolders folders;
  ASSERT_EQ(Search(folders.Generated(), "雨").unread.size(), 0u);
  LookedAtLongAfter(folders.IndexFile());
  // A file system's clock moves in steps (a few milliseconds here): the change comes in a later
  // one than the folder's state the index kept, as it would ten seconds on.
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  GetParam().change(folders.Generated(), folders.IndexFile());
  for (const char* query : {"雨", "plain words"}) {
    EXPECT_EQ(test::Found(Search(folders.Generated(), query)),
              PlainScan(folders.Generated(), query))
        << query;
  }
}

INSTANTIATE_TEST_SUITE_P(Changes, ChangedFolder, ::testing::ValuesIn(kFolderChanges),
                         test::RowName);

// A file searched alone is known by its own row, whatever its folder's last search kept: a
// history that the folder's record does not name (not taken for a history there) is read once,
// not at every search of it.
TEST(SearchIndex, AFileAloneIsReadOnceBesideItsFolderRecord) {
  test::SearchFolders folders;
  const fs::path alone = folders.Generated() / "kept-aside.log";
  fs::copy_file(folders.Generated() / "contact1.xml", alone);
  ASSERT_FALSE(Search(folders.Generated(), "雨").hits.empty());
  const std::string given = Sql(folders.IndexFile(), "SELECT seq FROM sqlite_sequence");
  for (int search = 0; search < 3; ++search) {
    EXPECT_EQ(test::Found(Search(alone, "雨")), PlainScan(alone, "雨"));
  }
  EXPECT_EQ(std::stoi(Sql(folders.IndexFile(), "SELECT seq FROM sqlite_sequence")),
            std::stoi(given) + 1);
}

// Starting afresh numbers the histories anew: what was kept of another folder would point at
// numbers given to other histories since.
TEST(SearchIndex, StartingAfreshForgetsWhatWasKeptOfEveryFolder) {
  test::SearchFolders folders;
  const fs::path other = folders.Cache().parent_path() / "other";
  fs::create_directory(other);
  for (const char* name : {"a.xml", "b.xml", "c.xml", "d.xml"}) {
    fs::copy_file(folders.Generated() / "contact1.xml", other / name);
  }
  ASSERT_FALSE(Search(other, "雨").hits.empty());
  ASSERT_FALSE(Search(folders.Generated(), "雨").hits.empty());
  LookedAtLongAfter(folders.IndexFile());
  Sql(folders.IndexFile(), "UPDATE sqlite_sequence SET seq = 100000 WHERE name = 'history'");
  ASSERT_EQ(test::Found(Search(folders.Generated(), "雨")), PlainScan(folders.Generated(), "雨"));
  ASSERT_EQ(Sql(folders.IndexFile(), "SELECT seq FROM sqlite_sequence"), "3");
  for (const char* query : {"雨", "明日"}) {
    EXPECT_EQ(test::Found(Search(other, query)), PlainScan(other, query)) << query;
  }
}

// Names, sizes and last-write times of everything in `folder`.
std::map<std::string, std::pair<std::uintmax_t, fs::file_time_type>> Listing(
    const fs::path& folder) {
  std::map<std::string, std::pair<std::uintmax_t, fs::file_time_type>> listing;
  for (const auto& item : fs::directory_iterator(folder)) {
    listing[item.path().filename()] = {item.is_regular_file() ? item.file_size() : 0,
                                       item.last_write_time()};
  }
  return listing;
}

TEST(SearchIndex, LivesInTheCacheOnlyForItsOwnerAndNothingIsWrittenBesideTheHistories) {
  test::SearchFolders folders;
  WriteFile(folders.Generated() / "notes.xml", "<notes/>");  // reported, never written to
  const auto before = Listing(folders.Generated());
  for (int run = 0; run < 2; ++run) {
    const SearchReport report = Search(folders.Generated(), "雨");
    EXPECT_FALSE(report.hits.empty());
    ASSERT_EQ(report.unread.size(), 1u);
    EXPECT_NE(Said(report.unread[0]).find("notes.xml"), std::string::npos);
  }
  EXPECT_EQ(Listing(folders.Generated()), before);
  EXPECT_EQ(SearchIndexFile(), folders.IndexFile());
  struct stat info {};
  ASSERT_EQ(::stat(folders.IndexFile().parent_path().c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
  ASSERT_EQ(::stat(folders.IndexFile().c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST(SearchIndex, DefaultsToTheCacheInTheHomeFolder) {
  test::TempFolder home;
  const test::ScopedEnvironment homeVariable("HOME", home.Path().c_str());
  for (const char* cache : {static_cast<const char*>(nullptr), "relative/cache"}) {
    const test::ScopedEnvironment cacheVariable("XDG_CACHE_HOME", cache);
    EXPECT_EQ(SearchIndexFile(), home / ".cache/palvarin/search-index.sqlite3");
  }
}

// A cache folder that cannot be made: the search reads the histories into memory instead.
TEST(SearchIndex, ThatCannotBeUsedIsDoneWithout) {
  test::SearchFolders folders;
  WriteFile(folders.Cache(), "a file where the cache folder should be");
  const SearchReport report = Search(folders.Generated(), "明日");
  EXPECT_NE(Word(report.indexUnusable).find("search-index.sqlite3"), std::string::npos)
      << Word(report.indexUnusable);
  EXPECT_EQ(test::Found(report), PlainScan(folders.Generated(), "明日"));
  EXPECT_FALSE(report.hits.empty());
}

}  // namespace
}  // namespace palvarin
