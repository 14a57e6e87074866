#pragma once

#include <cstdint>
#include <span>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace palvarin {

// A prepared statement, finalised on every way out. One that failed to prepare steps to an
// error, so a caller may check only the step.
class Statement {
 public:
  Statement(sqlite3* db, const char* sql);
  ~Statement();
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  bool Prepared() const { return statement_ != nullptr; }
  sqlite3_stmt* Get() const { return statement_; }
  // Binds a text to the parameter `at` (from 1), copying it.
  Statement& BindText(int at, std::string_view text);
  // Binds a text without copying it: it must stay unchanged while the statement may step.
  Statement& BindTextInPlace(int at, std::string_view text);
  Statement& BindInt64(int at, std::int64_t value);
  // Binds bytes without copying them: they must outlive the statement.
  Statement& BindBlob(int at, std::span<const unsigned char> bytes);
  // SQLITE_ROW, SQLITE_DONE or an error code; SQLITE_MISUSE when it was not prepared.
  int Step();
  // Ready to step again with new bindings.
  void Reset();

  // The text of column `at` of the current row; empty for NULL. Valid until the next step.
  std::string_view ColumnText(int at) const;
  std::int64_t ColumnInt64(int at) const;
  // The bytes of column `at` of the current row; empty for NULL. Valid until the next step.
  std::string_view ColumnBlob(int at) const;

 private:
  sqlite3_stmt* statement_ = nullptr;
};

}  // namespace palvarin
