#include "sqlite/statement.hpp"

#include <sqlite3.h>

namespace palvarin {

Statement::Statement(sqlite3* db, const char* sql) {
  ::sqlite3_prepare_v2(db, sql, -1, &statement_, nullptr);
}

Statement::~Statement() { ::sqlite3_finalize(statement_); }

// A null pointer would bind SQL NULL, so an empty text gets a real one.
Statement& Statement::BindText(int at, std::string_view text) {
  ::sqlite3_bind_text64(statement_, at, text.empty() ? "" : text.data(), text.size(),
                        SQLITE_TRANSIENT, SQLITE_UTF8);
  return *this;
}

Statement& Statement::BindTextInPlace(int at, std::string_view text) {
  ::sqlite3_bind_text64(statement_, at, text.empty() ? "" : text.data(), text.size(), SQLITE_STATIC,
                        SQLITE_UTF8);
  return *this;
}

Statement& Statement::BindInt64(int at, std::int64_t value) {
  ::sqlite3_bind_int64(statement_, at, value);
  return *this;
}

Statement& Statement::BindBlob(int at, std::span<const unsigned char> bytes) {
  // A null pointer would bind SQL NULL, so an empty blob gets a real one.
  static constexpr unsigned char kNothing = 0;
  ::sqlite3_bind_blob64(statement_, at, bytes.empty() ? &kNothing : bytes.data(), bytes.size(),
                        SQLITE_STATIC);
  return *this;
}

int Statement::Step() { return statement_ != nullptr ? ::sqlite3_step(statement_) : SQLITE_MISUSE; }

void Statement::Reset() {
  ::sqlite3_reset(statement_);
  ::sqlite3_clear_bindings(statement_);
}

// The bytes before their count, the order in which SQLite keeps both valid.
std::string_view Statement::ColumnText(int at) const {
  const auto* text = reinterpret_cast<const char*>(::sqlite3_column_text(statement_, at));
  const auto length = static_cast<std::size_t>(::sqlite3_column_bytes(statement_, at));
  return text != nullptr ? std::string_view(text, length) : std::string_view();
}

std::string_view Statement::ColumnBlob(int at) const {
  const auto* bytes = static_cast<const char*>(::sqlite3_column_blob(statement_, at));
  const auto length = static_cast<std::size_t>(::sqlite3_column_bytes(statement_, at));
  return bytes != nullptr ? std::string_view(bytes, length) : std::string_view();
}

std::int64_t Statement::ColumnInt64(int at) const { return ::sqlite3_column_int64(statement_, at); }

}  // namespace palvarin
