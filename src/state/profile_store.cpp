#include "state/profile_store.hpp"

#include <sqlite3.h>

#include <chrono>
#include <climits>
#include <thread>

#include "files/io_faults.hpp"

namespace palvarin {
namespace {

// Other Palvarin processes hold the write lock only for one short transaction.
constexpr int kBusyMilliseconds = 30000;
constexpr int kOpenAttempts = 20;

// One row per named value; the column has no type, so a value keeps the kind it was written as.
constexpr const char* kSchema =
    "BEGIN IMMEDIATE; CREATE TABLE IF NOT EXISTS profile_value ("
    "section TEXT NOT NULL, name TEXT NOT NULL, value, PRIMARY KEY (section, name))"
    " WITHOUT ROWID; COMMIT";

// A prepared statement, finalised on every way out.
class Statement {
 public:
  Statement(sqlite3* db, const char* sql) {
    ::sqlite3_prepare_v2(db, sql, -1, &statement_, nullptr);
  }
  ~Statement() { ::sqlite3_finalize(statement_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  bool Prepared() const { return statement_ != nullptr; }
  sqlite3_stmt* Get() const { return statement_; }
  // Binds the section and name of a value, the first two parameters of every statement.
  Statement& Bind(std::string_view section, std::string_view entry) {
    BindText(1, section);
    BindText(2, entry);
    return *this;
  }
  // Binds a value to the third parameter with the kind it has.
  template <typename Value>
  Statement& BindValue(const Value& value) {
    if (const auto* text = std::get_if<std::string>(&value)) BindText(3, *text);
    if (const auto* number = std::get_if<std::int64_t>(&value)) {
      ::sqlite3_bind_int64(statement_, 3, *number);
    }
    return *this;
  }
  int Step() { return ::sqlite3_step(statement_); }

 private:
  // A null pointer would bind SQL NULL, so an empty text gets a real one.
  void BindText(int at, std::string_view text) {
    ::sqlite3_bind_text64(statement_, at, text.empty() ? "" : text.data(), text.size(),
                          SQLITE_TRANSIENT, SQLITE_UTF8);
  }

  sqlite3_stmt* statement_ = nullptr;
};

}  // namespace

ProfileStore::ProfileStore(std::filesystem::path file) : file_(std::move(file)) {
  // Processes setting up a new store at the same moment can be told "busy" at once, without
  // SQLite waiting: the set-up is tried again before the store counts as unusable.
  for (int attempt = 1; !Open(); ++attempt) {
    const int code = db_ != nullptr ? ::sqlite3_errcode(db_) : SQLITE_OK;
    Close();
    if ((code != SQLITE_BUSY && code != SQLITE_LOCKED) || attempt == kOpenAttempts) break;
    warning_.clear();
    std::this_thread::sleep_for(std::chrono::milliseconds(10 * attempt));
  }
}

ProfileStore::~ProfileStore() { Close(); }

bool ProfileStore::Open() {
  std::error_code ec;
  const auto folder = file_.parent_path();
  if (!folder.empty() && !std::filesystem::is_directory(folder, ec)) {
    if (!faults::Allow("create folder")) return Unusable("the folder cannot be created");
    std::filesystem::create_directories(folder, ec);
    if (ec) return Unusable(ec.message());
  }
  if (!std::filesystem::exists(file_, ec) && !faults::Allow("create")) {
    return Unusable("the file cannot be created");
  }
  const int opened =
      ::sqlite3_open_v2(file_.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  if (opened != SQLITE_OK) return Unusable(Reason());
  ::sqlite3_busy_timeout(db_, kBusyMilliseconds);
  // A damaged file is found before anything is written to it. Commits need no flush of their
  // own: a record lost to a power cut only means no cut-off next time, which drops nothing.
  return PassesCheck() && Execute("PRAGMA journal_mode=WAL") &&
         Execute("PRAGMA synchronous=NORMAL") && Execute(kSchema);
}

void ProfileStore::Close() {
  ::sqlite3_close_v2(db_);
  db_ = nullptr;
}

bool ProfileStore::Execute(const char* sql) {
  return ::sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) == SQLITE_OK || Unusable(Reason());
}

bool ProfileStore::PassesCheck() {
  Statement check(db_, "PRAGMA quick_check");
  if (!check.Prepared() || check.Step() != SQLITE_ROW) return Unusable(Reason());
  const auto* verdict = reinterpret_cast<const char*>(::sqlite3_column_text(check.Get(), 0));
  return (verdict != nullptr && std::string_view(verdict) == "ok") ||
         Unusable("the file is damaged");
}

std::string ProfileStore::Reason() const {
  return db_ != nullptr ? ::sqlite3_errmsg(db_) : "out of memory";
}

bool ProfileStore::Unusable(const std::string& reason) {
  return Problem("cannot use the profile " + file_.string() + ": " + reason +
                 "; settings start from their defaults, nothing is saved to it, and the file is "
                 "left as it is");
}

bool ProfileStore::Problem(const std::string& text) {
  if (!warned_ && warning_.empty()) warning_ = text;
  return false;
}

std::string ProfileStore::TakeWarning() {
  const std::lock_guard lock(mutex_);
  if (warned_ || warning_.empty()) return {};
  warned_ = true;
  return std::move(warning_);
}

ProfileStore::StoredValue ProfileStore::ColumnValue(sqlite3_stmt* row) {
  switch (::sqlite3_column_type(row, 0)) {
    case SQLITE_TEXT:
      return std::string(reinterpret_cast<const char*>(::sqlite3_column_text(row, 0)),
                         static_cast<std::size_t>(::sqlite3_column_bytes(row, 0)));
    case SQLITE_INTEGER:
      return static_cast<std::int64_t>(::sqlite3_column_int64(row, 0));
    default:
      return {};
  }
}

ProfileStore::StoredValue ProfileStore::Read(std::string_view section, std::string_view entry) {
  if (db_ == nullptr) return {};
  const std::lock_guard lock(mutex_);
  Statement select(db_, "SELECT value FROM profile_value WHERE section = ?1 AND name = ?2");
  const int step = select.Prepared() ? select.Bind(section, entry).Step() : SQLITE_ERROR;
  if (step == SQLITE_ROW) return ColumnValue(select.Get());
  if (step != SQLITE_DONE) Problem("cannot read the profile " + file_.string() + ": " + Reason());
  return {};
}

bool ProfileStore::Store(std::string_view section, std::string_view entry,
                         const StoredValue& value) {
  if (db_ == nullptr) return false;
  const std::lock_guard lock(mutex_);
  const std::string failure = "cannot write to the profile " + file_.string() + ": ";
  if (!faults::Allow("profile write")) return Problem(failure + "refused");
  if (::sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK) {
    return Problem(failure + Reason());
  }
  Statement insert(
      db_, "INSERT OR REPLACE INTO profile_value (section, name, value) VALUES (?1, ?2, ?3)");
  if (insert.Prepared() && insert.Bind(section, entry).BindValue(value).Step() == SQLITE_DONE &&
      ::sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK) {
    return true;
  }
  Problem(failure + Reason());
  ::sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
  return false;
}

std::string ProfileStore::GetProfileString(std::string_view section, std::string_view entry,
                                           std::string_view fallback) {
  auto value = Read(section, entry);
  if (auto* text = std::get_if<std::string>(&value)) return std::move(*text);
  return std::string(fallback);
}

std::int32_t ProfileStore::GetProfileInt(std::string_view section, std::string_view entry,
                                         std::int32_t fallback) {
  const auto value = Read(section, entry);
  const auto* number = std::get_if<std::int64_t>(&value);
  if (number == nullptr || *number < INT32_MIN || *number > INT32_MAX) return fallback;
  return static_cast<std::int32_t>(*number);
}

bool ProfileStore::WriteProfileString(std::string_view section, std::string_view entry,
                                      std::string_view text) {
  return Store(section, entry, std::string(text));
}

bool ProfileStore::WriteProfileInt(std::string_view section, std::string_view entry,
                                   std::int32_t value) {
  return Store(section, entry, std::int64_t{value});
}

}  // namespace palvarin
