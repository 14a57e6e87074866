#include "raw_profile.hpp"

#include <gtest/gtest.h>
#include <sqlite3.h>

namespace palvarin::test {
namespace {

// Steps `sql` to its first row and hands the statement to `read` there, if there is one.
template <typename Read>
void FirstRow(sqlite3* db, const std::string& sql, Read read) {
  sqlite3_stmt* statement = nullptr;
  EXPECT_EQ(::sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr), SQLITE_OK)
      << sql << ": " << ::sqlite3_errmsg(db);
  if (statement != nullptr && ::sqlite3_step(statement) == SQLITE_ROW) read(statement);
  ::sqlite3_finalize(statement);
}

}  // namespace

RawProfile::RawProfile(const std::filesystem::path& file) {
  EXPECT_EQ(::sqlite3_open(file.c_str(), &db_), SQLITE_OK) << file;
}

RawProfile::~RawProfile() { ::sqlite3_close(db_); }

void RawProfile::Execute(const std::string& sql) {
  EXPECT_EQ(::sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK)
      << sql << ": " << ::sqlite3_errmsg(db_);
}

std::int64_t RawProfile::Integer(const std::string& sql) {
  std::int64_t value = -1;
  FirstRow(db_, sql, [&](sqlite3_stmt* row) { value = ::sqlite3_column_int64(row, 0); });
  return value;
}

std::string RawProfile::Text(const std::string& sql) {
  std::string value;
  FirstRow(db_, sql, [&](sqlite3_stmt* row) {
    if (const auto* text = ::sqlite3_column_text(row, 0)) {
      value = reinterpret_cast<const char*>(text);
    }
  });
  return value;
}

}  // namespace palvarin::test
