#include "state/profile_store.hpp"

#include <sqlite3.h>

#include <cctype>
#include <chrono>
#include <climits>
#include <thread>

#include "files/io_faults.hpp"
#include "identity_blob.hpp"
#include "sqlite/statement.hpp"
#include "wal_write_back.hpp"

namespace palvarin {
namespace {

constexpr const char* kInsertValue =
    "INSERT OR REPLACE INTO profile_value (section, name, value) VALUES (?1, ?2, ?3)";

// Other Palvarin processes hold the write lock only for one short transaction.
constexpr int kBusyMilliseconds = 30000;
constexpr int kOpenAttempts = 20;

// How many pages the write-ahead log may hold after a commit before they are copied back into
// the store: 1 MB in a new store's pages, a few batches of a folder job's merge times.
constexpr int kWriteBackFrames = 64;

// The schema version this program writes (PRAGMA user_version); profiles from before there was
// one read 0 and hold profile_value only. kSchema ends by setting it.
constexpr int kSchemaVersion = 1;

// One row per named value; the column has no type, so a value keeps the kind it was written as.
// Per pair of files (named by its merge-time key) the identities of the entries both held after
// the merge recorded with `stamp`, in the layout of EncodeIdentities.
constexpr const char* kSchema =
    "CREATE TABLE IF NOT EXISTS profile_value ("
    "section TEXT NOT NULL, name TEXT NOT NULL, value, PRIMARY KEY (section, name))"
    " WITHOUT ROWID;"
    "CREATE TABLE IF NOT EXISTS merge_identities ("
    "name TEXT PRIMARY KEY, stamp TEXT NOT NULL, identities BLOB NOT NULL) WITHOUT ROWID;"
    "PRAGMA user_version = 1";

// Binds a value to the third parameter with the kind it has.
template <typename Value>
Statement& BindValue(Statement& statement, const Value& value) {
  if (const auto* text = std::get_if<std::string>(&value)) statement.BindText(3, *text);
  if (const auto* number = std::get_if<std::int64_t>(&value)) statement.BindInt64(3, *number);
  return statement;
}

}  // namespace

ProfileStore::ProfileStore(std::filesystem::path file, ProfileAccess access)
    : file_(std::move(file)), access_(access) {
  // Processes setting up a new store at the same moment can be told "busy" at once, without
  // SQLite waiting: the set-up is tried again before the store counts as unusable.
  for (int attempt = 1;; ++attempt) {
    Result<> opened = Open();
    if (opened) break;
    const int code = db_ != nullptr ? ::sqlite3_errcode(db_) : SQLITE_OK;
    Close();
    if ((code != SQLITE_BUSY && code != SQLITE_LOCKED) || attempt == kOpenAttempts) {
      Remember(std::move(opened));
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10 * attempt));
  }
}

ProfileStore::~ProfileStore() { Close(); }

namespace {

// A file: URI of `path`, every byte that is not plainly safe escaped.
std::string FileUri(const std::filesystem::path& path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string uri = "file:";
  for (const unsigned char c : path.string()) {
    if (std::isalnum(c) || c == '/' || c == '-' || c == '.' || c == '_' || c == '~') {
      uri += static_cast<char>(c);
    } else {
      ((uri += '%') += kHex[c >> 4]) += kHex[c & 0xF];
    }
  }
  return uri;
}

}  // namespace

// Reads an existing store without changing anything on the disk. A store at rest is opened
// immutable, so SQLite makes no shared-memory or journal file beside it; while another process
// has it open (its write-ahead log is there) it is read through that log, which exists already.
Result<> ProfileStore::OpenForReading() {
  readOnly_ = true;
  std::error_code ec;
  if (!std::filesystem::exists(file_, ec)) return {};  // nothing stored: every value absent
  const bool inUse = std::filesystem::exists(file_.string() + "-wal", ec);
  const std::string uri = FileUri(file_) + (inUse ? "?mode=ro" : "?immutable=1");
  if (::sqlite3_open_v2(uri.c_str(), &db_, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr) !=
      SQLITE_OK) {
    return Unusable();
  }
  ::sqlite3_busy_timeout(db_, kBusyMilliseconds);
  if (Result<> checked = PassesCheck(); !checked) return checked;
  if (const Result<int> version = SchemaVersion(); !version) return Failure{version.reason()};
  return {};
}

Result<> ProfileStore::Open() {
  if (access_ == ProfileAccess::ReadOnly) return OpenForReading();
  std::error_code ec;
  const auto folder = file_.parent_path();
  if (!folder.empty() && !std::filesystem::is_directory(folder, ec)) {
    if (!faults::Allow("create folder")) return Problem(ReasonKind::ProfileFolderNotCreated);
    std::filesystem::create_directories(folder, ec);
    if (ec) return Problem(ReasonKind::ProfileUnusable, ec.message());
  }
  if (!std::filesystem::exists(file_, ec) && !faults::Allow("create")) {
    return Problem(ReasonKind::ProfileFileNotCreated);
  }
  const int opened =
      ::sqlite3_open_v2(file_.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  if (opened != SQLITE_OK) return Unusable();
  ::sqlite3_busy_timeout(db_, kBusyMilliseconds);
  // A damaged file is found before anything is written to it, and so is a newer version's:
  // not even the journal mode of that one is changed.
  if (Result<> checked = PassesCheck(); !checked) return checked;
  const Result<int> version = SchemaVersion();
  if (!version) return Failure{version.reason()};
  if (*version > kSchemaVersion) {
    LeaveUnchanged();
    return {};
  }
  // Commits need no flush of their own: a record lost to a power cut only means no cut-off
  // next time, which drops nothing. A new store gets pages that hold the identities of a
  // pair of up to some 250 entries in place: with pages of 4 KB each pair's spilled onto a page
  // of its own, and a folder job wrote twice the bytes. An existing store keeps its pages.
  for (const char* pragma :
       {"PRAGMA page_size=16384", "PRAGMA journal_mode=WAL", "PRAGMA synchronous=NORMAL"}) {
    if (Result<> set = Execute(pragma); !set) return set;
  }
  writeBack_ = std::make_unique<WalWriteBack>(file_);
  writeBack_->Watch(db_, kWriteBackFrames);
  return Upgrade();
}

Result<int> ProfileStore::SchemaVersion() {
  Statement version(db_, "PRAGMA user_version");
  if (!version.Prepared() || version.Step() != SQLITE_ROW) return Unusable();
  return ::sqlite3_column_int(version.Get(), 0);
}

// Creates what is missing and sets the version in one transaction: an older profile keeps every
// record, and a process opening the profile at the same moment sees it before or after.
// A failure leaves the transaction to the connection's close, which rolls it back.
Result<> ProfileStore::Upgrade() {
  if (Result<> begun = Execute("BEGIN IMMEDIATE"); !begun) return begun;
  // Read again under the write lock: a newer version may have upgraded it since.
  const Result<int> version = SchemaVersion();
  if (!version) return Failure{version.reason()};
  if (*version > kSchemaVersion) {
    Result<> rolledBack = Execute("ROLLBACK");
    if (rolledBack) LeaveUnchanged();
    return rolledBack;
  }
  if (*version < kSchemaVersion) {
    if (Result<> created = Execute(kSchema); !created) return created;
  }
  return Execute("COMMIT");
}

// A newer version's store is read but never changed; the user hears why once.
void ProfileStore::LeaveUnchanged() {
  readOnly_ = true;
  Remember(Problem(ReasonKind::ProfileNewer));
}

void ProfileStore::Close() {
  // Its connection goes first: the last one to close copies the rest back and removes the log.
  writeBack_.reset();
  ::sqlite3_close_v2(db_);
  db_ = nullptr;
}

Result<> ProfileStore::Execute(const char* sql) {
  if (::sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) != SQLITE_OK) return Unusable();
  return {};
}

Result<> ProfileStore::PassesCheck() {
  Statement check(db_, "PRAGMA quick_check");
  if (!check.Prepared() || check.Step() != SQLITE_ROW) return Unusable();
  const auto* verdict = reinterpret_cast<const char*>(::sqlite3_column_text(check.Get(), 0));
  if (verdict == nullptr || std::string_view(verdict) != "ok") {
    return Problem(ReasonKind::ProfileDamaged);
  }
  return {};
}

std::string ProfileStore::DatabaseWords() const {
  // Without a connection SQLite could not even allocate one.
  return db_ != nullptr ? ::sqlite3_errmsg(db_) : ::sqlite3_errstr(SQLITE_NOMEM);
}

Failure ProfileStore::Problem(ReasonKind kind, std::string detail, int code) const {
  return Failure{{.kind = kind, .path = file_.string(), .code = code, .detail = std::move(detail)}};
}

Failure ProfileStore::Unusable() const {
  return Problem(ReasonKind::ProfileUnusable, DatabaseWords());
}

// Keeps the first failure for TakeProblem, and passes `outcome` on.
Result<> ProfileStore::Remember(Result<> outcome) {
  if (!outcome && !told_ && problem_) problem_ = outcome;
  return outcome;
}

Result<> ProfileStore::TakeProblem() {
  const std::lock_guard lock(mutex_);
  if (told_ || problem_) return {};
  told_ = true;
  return std::move(problem_);
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

// Whether a query's step met a row; a step that failed is reported.
bool ProfileStore::Found(int step) {
  if (step == SQLITE_ROW) return true;
  if (step != SQLITE_DONE) Remember(Problem(ReasonKind::ProfileNotRead, DatabaseWords()));
  return false;
}

ProfileStore::StoredValue ProfileStore::Read(std::string_view section, std::string_view entry) {
  if (db_ == nullptr) return {};
  const std::lock_guard lock(mutex_);
  Statement select(db_, "SELECT value FROM profile_value WHERE section = ?1 AND name = ?2");
  if (!Found(select.Prepared() ? select.BindText(1, section).BindText(2, entry).Step()
                               : SQLITE_ERROR))
    return {};
  return ColumnValue(select.Get());
}

// Runs `work` in a write transaction of its own, committed only when all of it succeeded.
template <typename Work>
Result<> ProfileStore::WriteTransaction(Work work) {
  const std::lock_guard lock(mutex_);
  // The first problem already told why a store is unusable or kept unchanged.
  if (db_ == nullptr || readOnly_) return Problem(ReasonKind::ProfileNotWritten);
  if (!faults::Allow("profile write")) {
    return Remember(Problem(ReasonKind::ProfileNotWritten, {}, EIO));
  }
  if (::sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK) {
    return Remember(Problem(ReasonKind::ProfileNotWritten, DatabaseWords()));
  }
  if (work() && ::sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK) return {};
  Failure failed = Problem(ReasonKind::ProfileNotWritten, DatabaseWords());
  ::sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
  return Remember(std::move(failed));
}

bool ProfileStore::Insert(std::string_view section, std::string_view entry,
                          const StoredValue& value) {
  Statement insert(db_, kInsertValue);
  return insert.Prepared() &&
         BindValue(insert.BindText(1, section).BindText(2, entry), value).Step() == SQLITE_DONE;
}

Result<> ProfileStore::Store(std::string_view section, std::string_view entry,
                             const StoredValue& value) {
  return WriteTransaction([&] { return Insert(section, entry, value); });
}

std::string ProfileStore::GetProfileString(std::string_view section, std::string_view entry,
                                           std::string_view fallback) {
  auto value = Read(section, entry);
  if (auto* text = std::get_if<std::string>(&value)) return std::move(*text);
  return std::string(fallback);
}

std::vector<std::pair<std::string, std::string>> ProfileStore::ReadProfileStringsStartingWith(
    std::string_view section, std::span<const std::string> prefixes) {
  std::vector<std::pair<std::string, std::string>> found;
  if (db_ == nullptr) return found;
  const std::lock_guard lock(mutex_);
  Statement select(db_,
                   "SELECT name, value FROM profile_value"
                   " WHERE section = ?1 AND name >= ?2 AND name < ?3");
  for (const std::string& prefix : prefixes) {
    // The names below the prefix with its last byte raised, as the key orders them.
    std::string end = prefix;
    while (!end.empty() && static_cast<unsigned char>(end.back()) == 0xFF) end.pop_back();
    if (end.empty()) continue;
    end.back() = static_cast<char>(static_cast<unsigned char>(end.back()) + 1);
    select.Reset();
    select.BindText(1, section).BindText(2, prefix).BindText(3, end);
    while (Found(select.Prepared() ? select.Step() : SQLITE_ERROR)) {
      const bool text = ::sqlite3_column_type(select.Get(), 1) == SQLITE_TEXT;
      found.emplace_back(select.ColumnText(0), text ? select.ColumnText(1) : std::string_view());
    }
  }
  return found;
}

std::int32_t ProfileStore::GetProfileInt(std::string_view section, std::string_view entry,
                                         std::int32_t fallback) {
  const auto value = Read(section, entry);
  const auto* number = std::get_if<std::int64_t>(&value);
  if (number == nullptr || *number < INT32_MIN || *number > INT32_MAX) return fallback;
  return static_cast<std::int32_t>(*number);
}

Result<> ProfileStore::WriteProfileString(std::string_view section, std::string_view entry,
                                          std::string_view text) {
  return Store(section, entry, std::string(text));
}

Result<> ProfileStore::WriteProfileInt(std::string_view section, std::string_view entry,
                                       std::int32_t value) {
  return Store(section, entry, std::int64_t{value});
}

Result<> ProfileStore::WriteMergeRecord(std::string_view key, std::string_view stamp,
                                        std::span<const EntryIdentity> identities) {
  const MergeRecord record{key, stamp, identities};
  return WriteMergeRecords({&record, 1});
}

Result<> ProfileStore::WriteMergeRecords(std::span<const MergeRecord> records) {
  return WriteTransaction([&] {
    Statement time(db_, kInsertValue);
    Statement held(db_,
                   "INSERT OR REPLACE INTO merge_identities (name, stamp, identities)"
                   " VALUES (?1, ?2, ?3)");
    for (const MergeRecord& record : records) {
      const std::vector<unsigned char> blob = EncodeIdentities(record.identities);
      time.Reset();
      held.Reset();
      if (time.BindText(1, kMergeTimeSection)
                  .BindText(2, record.key)
                  .BindText(3, record.stamp)
                  .Step() != SQLITE_DONE ||
          held.BindText(1, record.key).BindText(2, record.stamp).BindBlob(3, blob).Step() !=
              SQLITE_DONE) {
        return false;
      }
    }
    return true;
  });
}

std::optional<std::vector<EntryIdentity>> ProfileStore::ReadMergeIdentities(
    std::string_view key, std::string_view stamp) {
  if (db_ == nullptr) return std::nullopt;
  const std::lock_guard lock(mutex_);
  Statement select(db_, "SELECT identities FROM merge_identities WHERE name = ?1 AND stamp = ?2");
  if (!Found(select.Prepared() ? select.BindText(1, key).BindText(2, stamp).Step()
                               : SQLITE_ERROR)) {
    return std::nullopt;
  }
  // The bytes before their count, the order in which SQLite keeps both valid.
  const auto* bytes = static_cast<const unsigned char*>(::sqlite3_column_blob(select.Get(), 0));
  const auto length = static_cast<std::size_t>(::sqlite3_column_bytes(select.Get(), 0));
  return DecodeIdentities({bytes, length});
}

}  // namespace palvarin
