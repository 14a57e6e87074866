// What a search keeps of a folder names the index's numbers for its histories: it is not kept
// when another search wrote to the index between reading it and writing, as those numbers may
// have been given anew since.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "search_index.hpp"
#include "support/test_support.hpp"

namespace palvarin {
namespace {

namespace fs = std::filesystem;

std::string FolderRecords(const fs::path& file) {
  sqlite3* db = nullptr;
  std::string count;
  if (::sqlite3_open(file.c_str(), &db) == SQLITE_OK) {
    sqlite3_stmt* statement = nullptr;
    if (::sqlite3_prepare_v2(db, "SELECT count(*) FROM folder", -1, &statement, nullptr) ==
            SQLITE_OK &&
        ::sqlite3_step(statement) == SQLITE_ROW) {
      count = reinterpret_cast<const char*>(::sqlite3_column_text(statement, 0));
    }
    ::sqlite3_finalize(statement);
  }
  ::sqlite3_close(db);
  return count;
}

const struct OtherSearchRow {
  const char* name;
  bool otherWrites;
  const char* recordsKept;
} kOtherSearches[] = {
    {"NoneInBetween", false, "1"},
    {"AnotherWroteInBetween", true, "0"},
};

void PrintTo(const OtherSearchRow& row, std::ostream* out) { *out << row.name; }

class FolderRecord : public ::testing::TestWithParam<OtherSearchRow> {};

TEST_P(FolderRecord, IsKeptOnlyWhenNoOtherSearchWroteInBetween) {
  test::TempFolder cache;
  const fs::path file = cache / "palvarin" / "search-index.sqlite3";
  const std::string folder = "/histories/";
  const std::vector<HistoryToSearch> histories{{"a.xml", HistoryStamp{10, 20, 30, 40}}};
  SearchIndex index(file);
  ASSERT_TRUE(index.BeginReading(folder, true));
  ASSERT_TRUE(index.EndReading());
  if (GetParam().otherWrites) {
    SearchIndex other(file);
    ASSERT_TRUE(other.BeginReading("/elsewhere/", false));
    ASSERT_TRUE(other.EndReading());
    ASSERT_TRUE(other.Store("/elsewhere/b.xml", HistoryStamp{1, 2, 3, 4}, "words\n"));
    ASSERT_TRUE(other.Commit());
  }
  const std::vector<std::optional<std::int64_t>> ids{std::nullopt};
  ASSERT_TRUE(index.KeepFolder(folder, FolderState{1, 2, 3}, 5'000'000'000, histories, ids));
  ASSERT_TRUE(index.Commit());
  EXPECT_EQ(FolderRecords(file), GetParam().recordsKept);
}

INSTANTIATE_TEST_SUITE_P(OtherSearches, FolderRecord, ::testing::ValuesIn(kOtherSearches),
                         test::RowName);

}  // namespace
}  // namespace palvarin
