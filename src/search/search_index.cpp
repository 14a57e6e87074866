#include "search_index.hpp"

#include <sqlite3.h>
#include <sys/stat.h>

#include <cerrno>
#include <system_error>

namespace palvarin {
namespace {

// Other searches hold the write lock while they read the histories that changed.
constexpr int kBusyMilliseconds = 60000;

// The layout this program writes (PRAGMA user_version); a file of any other is made anew.
constexpr int kSchemaVersion = 2;

// The texts are kept case-folded beside the originals, where folding changes them (else the
// folded text is NULL: most texts have no capitals, and Japanese none at all). A history's messages
// have consecutive numbers (they are stored together, and numbers only grow: AUTOINCREMENT), so the
// history names their range and needs no index of its own. The trigram index holds one row per
// history, its folded texts joined by line feeds, and no positions (detail=none) nor content:
// it only says which histories may hold a word, whose messages are then checked word for word.
// A row per message made the index several times larger and slower to build.
constexpr const char* kSchema =
    "CREATE TABLE history (id INTEGER PRIMARY KEY, path TEXT NOT NULL UNIQUE,"
    " size INTEGER NOT NULL, modified INTEGER NOT NULL, changed INTEGER NOT NULL,"
    " inode INTEGER NOT NULL, first_message INTEGER NOT NULL, last_message INTEGER NOT NULL);"
    "CREATE TABLE message (id INTEGER PRIMARY KEY AUTOINCREMENT, history INTEGER NOT NULL,"
    " position INTEGER NOT NULL, date TEXT NOT NULL, clock TEXT NOT NULL,"
    " date_time TEXT NOT NULL, sender TEXT NOT NULL, text TEXT NOT NULL, folded TEXT);"
    "CREATE VIRTUAL TABLE history_words USING fts5 (folded, content='',"
    " tokenize='trigram case_sensitive 1', detail='none');"
    "PRAGMA user_version = 2";

constexpr const char* kMessageColumns =
    "history, position, date, clock, date_time, sender, text, coalesce(folded, text)";

// The text the trigram index holds for a history: its folded texts joined by line feeds.
// Made here both when it is indexed and when it is taken out, which needs it exactly again.
template <typename Texts>
std::string JoinedTexts(const Texts& texts) {
  std::string joined;
  for (const auto& text : texts) {
    if (!joined.empty()) joined += '\n';
    joined += text;
  }
  return joined;
}

bool Damaging(int code) {
  const int primary = code & 0xFF;
  return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

// The folder of the index `file`, made only for this user: it holds their conversations.
Result<> MakeFolder(const std::filesystem::path& file) {
  const std::filesystem::path folder = file.parent_path();
  std::error_code error;
  std::filesystem::create_directories(folder.parent_path(), error);
  if (::mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST) return {};
  return Failure{
      {.kind = ReasonKind::SearchFolderNotCreated, .path = file.string(), .code = errno}};
}

}  // namespace

SearchIndex::SearchIndex(const std::filesystem::path& file) {
  if (Open(file)) Prepare();
}

SearchIndex::~SearchIndex() { ::sqlite3_close_v2(db_); }

Result<> SearchIndex::Open(const std::filesystem::path& file) {
  file_ = file.string();
  if (!file.empty()) {
    if (Result<> made = MakeFolder(file); !made) {
      failure_ = made.reason();
      return made;
    }
  }
  const std::string name = file.empty() ? ":memory:" : file.string();
  const int opened =
      ::sqlite3_open_v2(name.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  if (opened != SQLITE_OK) return Fail(opened);
  ::sqlite3_busy_timeout(db_, kBusyMilliseconds);
  // Owner only, whatever the umask: the texts are private. SQLite makes the file on open.
  if (!file.empty()) ::chmod(file.c_str(), 0600);
  return {};
}

Failure SearchIndex::Fail(int code) {
  if (failure_.kind == ReasonKind::None) {
    rebuild_ = rebuild_ || Damaging(code);
    failure_ = {.kind = ReasonKind::SearchIndexUnusable,
                .path = file_,
                .detail = db_ != nullptr ? ::sqlite3_errmsg(db_) : ::sqlite3_errstr(code)};
  }
  return Failure{failure_};
}

Result<> SearchIndex::Healthy() const {
  if (failure_.kind != ReasonKind::None) return Failure{failure_};
  return {};
}

Result<> SearchIndex::Execute(const char* sql) {
  if (Result<> healthy = Healthy(); !healthy) return healthy;
  const int done = ::sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
  if (done != SQLITE_OK) return Fail(done);
  return {};
}

Result<int> SearchIndex::Version() {
  Statement read(db_, "PRAGMA user_version");
  const int step = read.Step();
  if (step != SQLITE_ROW) return Fail(step);
  return static_cast<int>(read.ColumnInt64(0));
}

// Makes the layout in a new file, under the write lock so that two searches starting at once
// make it once; a file of another layout is left for the caller to make anew.
Result<> SearchIndex::Prepare() {
  // The journal mode is set first: it is what meets a file that is no database.
  for (const char* pragma : {"PRAGMA page_size=16384", "PRAGMA journal_mode=WAL",
                             "PRAGMA synchronous=NORMAL", "PRAGMA temp_store=MEMORY"}) {
    if (Result<> set = Execute(pragma); !set) return set;
  }
  Result<int> found = Version();
  if (!found) return Failure{found.reason()};
  if (*found == kSchemaVersion) return {};
  if (Result<> begun = Execute("BEGIN IMMEDIATE"); !begun) return begun;
  found = Version();
  if (!found) return Failure{found.reason()};
  if (*found == kSchemaVersion) return Execute("COMMIT");
  if (*found == 0 && Execute(kSchema)) return Execute("COMMIT");
  // Another layout, or a file that would not take this one.
  rebuild_ = true;
  if (Healthy()) failure_ = {.kind = ReasonKind::SearchIndexOtherVersion, .path = file_};
  ::sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
  return Failure{failure_};
}

Result<> SearchIndex::BeginReading() {
  held_.reset();
  return Execute("BEGIN");
}

std::optional<std::int64_t> SearchIndex::FreshHistory(const std::string& path,
                                                      const HistoryStamp& stamp) {
  if (!Healthy()) return std::nullopt;
  // Asked once per history of every search: the index's histories are read once, in one
  // statement, rather than looked up one statement each (most of a kept index's answer).
  if (!held_) {
    Statement select(db_, "SELECT id, path, size, modified, changed, inode FROM history");
    held_.emplace();
    int step = SQLITE_ROW;
    while ((step = select.Step()) == SQLITE_ROW) {
      const HistoryStamp state{select.ColumnInt64(2), select.ColumnInt64(3), select.ColumnInt64(4),
                               select.ColumnInt64(5)};
      held_->emplace(std::string(select.ColumnText(1)), HeldHistory{select.ColumnInt64(0), state});
    }
    if (step != SQLITE_DONE) return Fail(step), std::nullopt;
  }
  const auto found = held_->find(path);
  if (found == held_->end() || found->second.stamp != stamp) return std::nullopt;
  return found->second.id;
}

Result<std::int64_t> SearchIndex::Store(const std::string& path, const HistoryStamp& stamp,
                                        const std::vector<IndexedMessage>& messages) {
  if (!writing_) {
    if (Result<> begun = BeginWriting(); !begun) return Failure{begun.reason()};
  }
  held_.reset();
  Statement find(db_, "SELECT id, first_message, last_message FROM history WHERE path = ?1");
  const int found = find.BindText(1, path).Step();
  if (found != SQLITE_ROW && found != SQLITE_DONE) return Fail(found);
  std::int64_t id = 0;
  if (found == SQLITE_ROW) {
    id = find.ColumnInt64(0);
    if (Result<> forgot = Forget(id, find.ColumnInt64(1), find.ColumnInt64(2)); !forgot) {
      return Failure{forgot.reason()};
    }
  }
  Statement record(db_,
                   "INSERT OR REPLACE INTO history (id, path, size, modified, changed, inode,"
                   " first_message, last_message) VALUES (?1, ?2, ?3, ?4, ?5, ?6, 1, 0)");
  if (found == SQLITE_ROW) record.BindInt64(1, id);
  record.BindText(2, path)
      .BindInt64(3, stamp.size)
      .BindInt64(4, stamp.modified)
      .BindInt64(5, stamp.changed)
      .BindInt64(6, stamp.inode);
  if (const int step = record.Step(); step != SQLITE_DONE) return Fail(step);
  if (found != SQLITE_ROW) id = ::sqlite3_last_insert_rowid(db_);
  if (messages.empty()) return id;

  Statement insert(db_,
                   "INSERT INTO message (history, position, date, clock, date_time, sender,"
                   " text, folded) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, nullif(?8, ?7))");
  std::int64_t first = 0;
  // `messages` outlives the statement: its texts need no copy.
  for (const IndexedMessage& message : messages) {
    insert.BindInt64(1, id)
        .BindInt64(2, message.position)
        .BindTextInPlace(3, message.date)
        .BindTextInPlace(4, message.clock)
        .BindTextInPlace(5, message.dateTime)
        .BindTextInPlace(6, message.sender)
        .BindTextInPlace(7, message.text)
        .BindTextInPlace(8, message.folded);
    if (const int step = insert.Step(); step != SQLITE_DONE) return Fail(step);
    insert.Reset();
    if (first == 0) first = ::sqlite3_last_insert_rowid(db_);
  }
  Statement range(db_, "UPDATE history SET first_message = ?2, last_message = ?3 WHERE id = ?1");
  range.BindInt64(1, id).BindInt64(2, first).BindInt64(3, ::sqlite3_last_insert_rowid(db_));
  if (const int step = range.Step(); step != SQLITE_DONE) return Fail(step);
  // Indexed at Commit, in one statement.
  Statement pend(db_, "INSERT INTO pending_words (history, folded) VALUES (?1, ?2)");
  std::vector<std::string_view> folded;
  folded.reserve(messages.size());
  for (const IndexedMessage& message : messages) folded.emplace_back(message.folded);
  const int pended = pend.BindInt64(1, id).BindText(2, JoinedTexts(folded)).Step();
  if (pended != SQLITE_DONE) return Fail(pended);
  return id;
}

// Takes the messages `first` to `last` of history `id` out of the index. The trigram index
// forgets a text only when told the text it held; a history stored in this transaction has
// not been given to it yet.
Result<> SearchIndex::Forget(std::int64_t id, std::int64_t first, std::int64_t last) {
  if (last >= first && last <= lastBefore_) {
    Statement read(db_,
                   "SELECT coalesce(folded, text) FROM message WHERE id BETWEEN ?1 AND ?2"
                   " ORDER BY id");
    read.BindInt64(1, first).BindInt64(2, last);
    std::vector<std::string> folded;
    int step = SQLITE_ROW;
    while ((step = read.Step()) == SQLITE_ROW) folded.emplace_back(read.ColumnText(0));
    if (step != SQLITE_DONE) return Fail(step);
    Statement forget(db_,
                     "INSERT INTO history_words (history_words, rowid, folded)"
                     " VALUES ('delete', ?1, ?2)");
    step = forget.BindInt64(1, id).BindText(2, JoinedTexts(folded)).Step();
    if (step != SQLITE_DONE) return Fail(step);
  }
  Statement remove(db_, "DELETE FROM message WHERE id BETWEEN ?1 AND ?2");
  const int step = remove.BindInt64(1, first).BindInt64(2, last).Step();
  if (step != SQLITE_DONE) return Fail(step);
  return {};
}

// A build writes tens of megabytes at once: with the default 2 MB of cache SQLite spills pages
// to the log in the middle of it. A reader is better off with the small cache, whose pages are
// reused rather than new memory touched for every page read.
constexpr const char* kWritingCache = "PRAGMA cache_size=-65536";
constexpr const char* kReadingCache = "PRAGMA cache_size=-2000";

Result<> SearchIndex::BeginWriting() {
  for (const char* sql : {kWritingCache, "BEGIN IMMEDIATE"}) {
    if (Result<> done = Execute(sql); !done) return done;
  }
  writing_ = true;
  Statement last(db_, "SELECT max(id) FROM message");
  const int step = last.Step();
  if (step != SQLITE_ROW) return Fail(step);
  lastBefore_ = last.ColumnInt64(0);
  return Execute("CREATE TEMP TABLE IF NOT EXISTS pending_words (history INTEGER, folded TEXT)");
}

// The new texts go to the trigram index in one statement: FTS5 writes what it has gathered
// at the end of every statement, and one per history would leave it a small piece each to
// merge (several times slower).
Result<> SearchIndex::Commit() {
  if (!writing_) return Healthy();
  writing_ = false;
  for (const char* sql :
       {"INSERT INTO history_words (rowid, folded) SELECT history, folded FROM pending_words;"
        "DELETE FROM pending_words",
        "COMMIT", kReadingCache}) {
    if (Result<> done = Execute(sql); !done) return done;
  }
  return {};
}

Result<> SearchIndex::VisitRows(Statement& select, const Visit& visit,
                                const std::unordered_set<std::int64_t>* wanted) {
  IndexedMessage message;
  int step = SQLITE_ROW;
  while ((step = select.Step()) == SQLITE_ROW) {
    const std::int64_t history = select.ColumnInt64(0);
    if (wanted != nullptr && wanted->count(history) == 0) continue;
    message.position = select.ColumnInt64(1);
    message.date = select.ColumnText(2);
    message.clock = select.ColumnText(3);
    message.dateTime = select.ColumnText(4);
    message.sender = select.ColumnText(5);
    message.text = select.ColumnText(6);
    message.folded = select.ColumnText(7);
    visit(history, message);
  }
  if (step != SQLITE_DONE) return Fail(step);
  return {};
}

Result<> SearchIndex::Candidates(const std::optional<std::string>& trigramQuery,
                                 const std::vector<std::int64_t>& histories, const Visit& visit) {
  if (Result<> healthy = Healthy(); !healthy) return healthy;
  if (trigramQuery) {
    const std::string sql = std::string("SELECT ") + kMessageColumns +
                            " FROM history JOIN message"
                            " ON message.id BETWEEN first_message AND last_message"
                            " WHERE history.id IN"
                            " (SELECT rowid FROM history_words WHERE history_words MATCH ?1)";
    Statement select(db_, sql.c_str());
    const std::unordered_set<std::int64_t> wanted(histories.begin(), histories.end());
    return VisitRows(select.BindText(1, *trigramQuery), visit, &wanted);
  }
  const std::string sql = std::string("SELECT ") + kMessageColumns +
                          " FROM history JOIN message"
                          " ON message.id BETWEEN first_message AND last_message"
                          " WHERE history.id = ?1";
  Statement select(db_, sql.c_str());
  for (const std::int64_t history : histories) {
    if (Result<> visited = VisitRows(select.BindInt64(1, history), visit, nullptr); !visited) {
      return visited;
    }
    select.Reset();
  }
  return {};
}

void RemoveIndex(const std::filesystem::path& file) {
  std::error_code ignored;
  for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
    std::filesystem::remove(file.string() + suffix, ignored);
  }
}

}  // namespace palvarin
