#include "search_index.hpp"

#include <sqlite3.h>

#include <algorithm>
#include <system_error>

#include "index_file.hpp"
#include "sqlite/checked_pages.hpp"

namespace palvarin {
namespace {

// Other searches hold the write lock while they read the histories that changed.
constexpr int kBusyMilliseconds = 60000;

// The layout this program writes (PRAGMA user_version); a file of any other is made anew.
// Layout 5 keeps a checksum on every page (CheckedPagesVfs).
constexpr int kSchemaVersion = 5;

// A history is only its file's state and a row of the trigram index: the trigrams of its
// folded texts (IndexText), with no positions (detail=none) nor content. Which histories may
// hold a word is all it tells; their messages are read from the files again. Keeping the
// messages made the index several times slower to build than reading the files.
// A contentless FTS5 table forgets a row only when told its text again, which is not kept:
// a history read again gets a new number (AUTOINCREMENT never gives one twice), and its old
// row stays behind, unreachable, until there are more of those than histories and the index
// starts afresh.
constexpr const char* kSchema =
    "CREATE TABLE history (id INTEGER PRIMARY KEY AUTOINCREMENT, path TEXT NOT NULL UNIQUE,"
    " size INTEGER NOT NULL, modified INTEGER NOT NULL, changed INTEGER NOT NULL,"
    " inode INTEGER NOT NULL);"
    "CREATE VIRTUAL TABLE history_words USING fts5 (folded, content='',"
    " tokenize='trigram case_sensitive 1', detail='none');"
    // What the last search of a folder saw of it and its histories (EncodeSnapshot): an
    // unchanged folder is then not listed again, nor every history's row read.
    "CREATE TABLE folder (path TEXT PRIMARY KEY, modified INTEGER NOT NULL,"
    " changed INTEGER NOT NULL, inode INTEGER NOT NULL, looked_at INTEGER NOT NULL,"
    " histories BLOB NOT NULL);"
    "PRAGMA user_version = 5";

// Unreachable trigram rows tolerated besides one per history held.
constexpr std::int64_t kUnreachableAllowed = 256;

// How long after a folder's last change it must have been looked at for what was seen then to
// stand for as long as its state is the same. A file system stamps changes with a clock that
// moves in steps (two seconds on FAT): a name made in the same step as the look would leave
// the state as it was.
constexpr std::int64_t kSettledNanoseconds = 3'000'000'000;

// A page whose checksum does not match reads as SQLITE_IOERR_DATA.
bool Damaging(int code) {
  const int primary = code & 0xFF;
  return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB || code == SQLITE_IOERR_DATA;
}

}  // namespace

SearchIndex::SearchIndex(const std::filesystem::path& file) {
  if (Open(file)) Prepare();
}

SearchIndex::~SearchIndex() { ::sqlite3_close_v2(db_); }

Result<> SearchIndex::Open(const std::filesystem::path& file) {
  file_ = file.string();
  std::string name = ":memory:";
  if (!file.empty()) {
    Result<std::string> checked = PrivateIndexFile(file);
    if (!checked) {
      failure_ = checked.reason();
      return Failure{failure_};
    }
    name = std::move(*checked);
  }
  // One thread uses the index at a time: no lock around each call (thousands in a search).
  // SQLite opens the file and the log beside it by name: along a path without links, it follows
  // none (a link put there since is refused).
  const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX |
                    (file.empty() ? 0 : SQLITE_OPEN_NOFOLLOW);
  const int opened =
      ::sqlite3_open_v2(name.c_str(), &db_, flags, file.empty() ? nullptr : CheckedPagesVfs());
  if (opened != SQLITE_OK) return Fail(opened);
  ::sqlite3_extended_result_codes(db_, 1);
  ::sqlite3_busy_timeout(db_, kBusyMilliseconds);
  if (!file.empty()) ReservePageChecksums(db_);
  return {};
}

Failure SearchIndex::Fail(int code) {
  if (failure_.kind == ReasonKind::None) {
    // A page that failed its checksum may come back as another error, a virtual table's.
    damaged_ = Damaging(code) || (!file_.empty() && db_ != nullptr && PageChecksumFailed(db_));
    rebuild_ = rebuild_ || damaged_;
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

Result<> SearchIndex::CheckPages() {
  // This layout is only ever written with them: a file without them has a damaged header.
  if (file_.empty() || HasPageChecksums(db_)) return {};
  return Fail(SQLITE_CORRUPT);
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
  if (*found == kSchemaVersion) return CheckPages();
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

Result<> SearchIndex::BeginReading(std::string_view folder, bool wholeFolder) {
  held_.reset();
  kept_.reset();
  purge_ = false;
  intervened_ = false;
  if (Result<> begun = Execute("BEGIN"); !begun) return begun;
  const Result<std::int64_t> version = DataVersion();
  if (!version) return Failure{version.reason()};
  dataVersion_ = *version;
  if (wholeFolder) {
    const Result<bool> loaded = LoadFolder(folder);
    if (!loaded) return Failure{loaded.reason()};
    if (*loaded) return CountUnreachable(std::nullopt);
  }
  return LoadHeld(folder);
}

Result<std::int64_t> SearchIndex::DataVersion() {
  Statement read(db_, "PRAGMA data_version");
  const int step = read.Step();
  if (step != SQLITE_ROW) return Fail(step);
  return read.ColumnInt64(0);
}

Result<bool> SearchIndex::LoadFolder(std::string_view folder) {
  Statement select(db_,
                   "SELECT modified, changed, inode, looked_at, histories FROM folder"
                   " WHERE path = ?1");
  const int step = select.BindTextInPlace(1, folder).Step();
  if (step == SQLITE_DONE) return false;
  if (step != SQLITE_ROW) return Fail(step);
  held_.emplace();
  heldNames_.clear();
  nextHeld_ = 0;
  const bool whole = DecodeSnapshot(select.ColumnBlob(4), [this](const SnapshotEntry& entry) {
    held_->push_back({entry.id, entry.stamp, heldNames_.size(), entry.name.size()});
    heldNames_ += entry.name;
  });
  if (!whole) return false;  // made anew by this search
  kept_ = KeptFolder{{select.ColumnInt64(0), select.ColumnInt64(1), select.ColumnInt64(2)},
                     select.ColumnInt64(3)};
  return true;
}

bool SearchIndex::StillAsKept(const FolderState& state) const {
  return kept_ && kept_->state == state &&
         std::max(state.modified, state.changed) < kept_->lookedAt - kSettledNanoseconds;
}

std::optional<std::vector<std::string>> SearchIndex::KnownNames(const FolderState& state) const {
  if (!StillAsKept(state) || !held_) return std::nullopt;
  std::vector<std::string> names;
  names.reserve(held_->size());
  for (const HeldHistory& history : *held_) names.emplace_back(HeldName(history));
  return names;
}

bool SearchIndex::HeldAsIs(std::span<const HistoryToSearch> histories,
                           std::span<const std::optional<std::int64_t>> ids) const {
  if (!kept_ || !held_ || held_->size() != histories.size()) return false;
  for (std::size_t at = 0; at < histories.size(); ++at) {
    const HeldHistory& held = (*held_)[at];
    if (HeldName(held) != histories[at].name || held.id != ids[at].value_or(0) ||
        held.stamp != histories[at].stamp.value_or(HistoryStamp{})) {
      return false;
    }
  }
  return true;
}

// Asked once per history of every search: the index's histories are read once, in one
// statement, rather than looked up one statement each (most of a kept index's answer).
Result<> SearchIndex::LoadHeld(std::string_view folder) {
  held_.emplace();
  heldNames_.clear();
  nextHeld_ = 0;
  Statement select(db_, "SELECT id, path, size, modified, changed, inode FROM history");
  std::int64_t rows = 0;
  int step = SQLITE_ROW;
  while ((step = select.Step()) == SQLITE_ROW) {
    ++rows;
    std::string_view name = select.ColumnText(1);
    if (!name.starts_with(folder)) continue;
    name.remove_prefix(folder.size());
    if (name.find('/') != std::string_view::npos) continue;  // in a folder below
    held_->push_back({select.ColumnInt64(0),
                      {select.ColumnInt64(2), select.ColumnInt64(3), select.ColumnInt64(4),
                       select.ColumnInt64(5)},
                      heldNames_.size(),
                      name.size()});
    heldNames_ += name;
  }
  if (step != SQLITE_DONE) return Fail(step);
  // Stored in name order, a folder at a time: mostly in order already.
  const auto byName = [this](const HeldHistory& a, const HeldHistory& b) {
    return HeldName(a) < HeldName(b);
  };
  if (!std::is_sorted(held_->begin(), held_->end(), byName)) {
    std::sort(held_->begin(), held_->end(), byName);
  }
  return CountUnreachable(rows);
}

Result<> SearchIndex::CountUnreachable(std::optional<std::int64_t> reachable) {
  // Every number given, reachable or not, against those still reachable (counted unless the
  // caller has just read them all).
  Statement given(db_, "SELECT seq FROM sqlite_sequence WHERE name = 'history'");
  int step = given.Step();
  if (step == SQLITE_DONE) return {};  // no number given yet
  if (step != SQLITE_ROW) return Fail(step);
  if (!reachable) {
    Statement count(db_, "SELECT count(*) FROM history");
    step = count.Step();
    if (step != SQLITE_ROW) return Fail(step);
    reachable = count.ColumnInt64(0);
  }
  purge_ = given.ColumnInt64(0) - *reachable > *reachable + kUnreachableAllowed;
  return {};
}

std::optional<std::int64_t> SearchIndex::FreshHistory(std::string_view name,
                                                      const HistoryStamp& stamp) {
  // Starting afresh, every history is read again.
  if (!Healthy() || !held_ || purge_) return std::nullopt;
  if (nextHeld_ >= held_->size() || HeldName((*held_)[nextHeld_]) != name) {
    const auto found = std::lower_bound(held_->begin(), held_->end(), name,
                                        [this](const HeldHistory& held, std::string_view wanted) {
                                          return HeldName(held) < wanted;
                                        });
    nextHeld_ = static_cast<std::size_t>(found - held_->begin());
    if (found == held_->end() || HeldName(*found) != name) return std::nullopt;
  }
  const HeldHistory& found = (*held_)[nextHeld_++];
  if (found.stamp != stamp || found.id == 0) return std::nullopt;
  return found.id;
}

Result<std::vector<std::int64_t>> SearchIndex::Candidates(
    const IndexQuery& query, const std::vector<std::int64_t>& histories) {
  if (Result<> healthy = Healthy(); !healthy) return Failure{healthy.reason()};
  std::vector<std::int64_t> wanted = histories;
  // Keeps of `wanted` those in `found`: the others are other folders' histories, or
  // unreachable rows.
  const auto keep = [&wanted](std::vector<std::int64_t>& found) {
    std::sort(found.begin(), found.end());
    std::erase_if(wanted, [&found](std::int64_t history) {
      return !std::binary_search(found.begin(), found.end(), history);
    });
  };
  if (query.trigrams && !wanted.empty()) {
    Statement select(db_, "SELECT rowid FROM history_words WHERE history_words MATCH ?1");
    select.BindText(1, *query.trigrams);
    std::vector<std::int64_t> found;
    int step = SQLITE_ROW;
    while ((step = select.Step()) == SQLITE_ROW) found.push_back(select.ColumnInt64(0));
    if (step != SQLITE_DONE) return Fail(step);
    keep(found);
  }
  if (query.starts.empty() || wanted.empty()) return wanted;
  // A word of one or two characters starts the trigrams of the histories that hold it: the
  // terms from it on, in order, as long as they start with it.
  const char* terms =
      "CREATE VIRTUAL TABLE IF NOT EXISTS temp.history_terms"
      " USING fts5vocab(main, history_words, instance)";
  if (Result<> made = Execute(terms); !made) return Failure{made.reason()};
  Statement select(db_, "SELECT doc, term FROM temp.history_terms WHERE term >= ?1");
  for (const std::string& start : query.starts) {
    std::vector<std::int64_t> found;
    select.BindText(1, start);
    int step = SQLITE_ROW;
    while ((step = select.Step()) == SQLITE_ROW && select.ColumnText(1).starts_with(start)) {
      found.push_back(select.ColumnInt64(0));
    }
    if (step != SQLITE_ROW && step != SQLITE_DONE) return Fail(step);
    select.Reset();
    keep(found);
    if (wanted.empty()) break;
  }
  return wanted;
}

Result<std::int64_t> SearchIndex::Store(const std::string& path, const HistoryStamp& stamp,
                                        const std::string& indexText) {
  if (!writing_) {
    if (Result<> begun = BeginWriting(); !begun) return Failure{begun.reason()};
  }
  held_.reset();
  if (!forget_) {
    forget_.emplace(db_, "DELETE FROM history WHERE path = ?1");
    record_.emplace(db_,
                    "INSERT INTO history (path, size, modified, changed, inode)"
                    " VALUES (?1, ?2, ?3, ?4, ?5)");
    // FTS5 gathers the rows of a transaction in memory and writes them out as one piece at the
    // commit (or at a megabyte): each row is split into trigrams here, while the next
    // histories are read, and only that writing is left for the end. A statement of many rows
    // would write its own piece (and pieces are merged later, which costs more than it saves).
    index_.emplace(db_, "INSERT INTO history_words (rowid, folded) VALUES (?1, ?2)");
  }
  int step = forget_->BindTextInPlace(1, path).Step();
  forget_->Reset();
  if (step != SQLITE_DONE) return Fail(step);
  step = record_->BindTextInPlace(1, path)
             .BindInt64(2, stamp.size)
             .BindInt64(3, stamp.modified)
             .BindInt64(4, stamp.changed)
             .BindInt64(5, stamp.inode)
             .Step();
  record_->Reset();
  if (step != SQLITE_DONE) return Fail(step);
  const std::int64_t id = ::sqlite3_last_insert_rowid(db_);
  step = index_->BindInt64(1, id).BindTextInPlace(2, indexText).Step();
  index_->Reset();
  if (step != SQLITE_DONE) return Fail(step);
  return id;
}

// A build writes megabytes at once: with the default 2 MB of cache SQLite spills pages to the
// log in the middle of it. A reader is better off with the small cache, whose pages are
// reused rather than new memory touched for every page read.
constexpr const char* kWritingCache = "PRAGMA cache_size=-65536";
constexpr const char* kReadingCache = "PRAGMA cache_size=-2000";

Result<> SearchIndex::BeginWriting() {
  for (const char* sql : {kWritingCache, "BEGIN IMMEDIATE"}) {
    if (Result<> done = Execute(sql); !done) return done;
  }
  writing_ = true;
  const Result<std::int64_t> version = DataVersion();
  if (!version) return Failure{version.reason()};
  intervened_ = *version != dataVersion_;
  if (!purge_) return {};
  purge_ = false;
  // What searches of folders kept names numbers that are given anew from here.
  return Execute(
      "DELETE FROM history; INSERT INTO history_words (history_words) VALUES ('delete-all');"
      "UPDATE sqlite_sequence SET seq = 0 WHERE name = 'history'; DELETE FROM folder");
}

Result<> SearchIndex::KeepFolder(std::string_view folder, const FolderState& state,
                                 std::int64_t lookedAt, std::span<const HistoryToSearch> histories,
                                 std::span<const std::optional<std::int64_t>> ids) {
  if (Result<> healthy = Healthy(); !healthy) return healthy;
  if (StillAsKept(state) && HeldAsIs(histories, ids)) return {};
  if (!writing_) {
    if (Result<> begun = BeginWriting(); !begun) return begun;
  }
  if (intervened_) return {};
  const std::string bytes = EncodeSnapshot(histories, ids);
  Statement keep(db_,
                 "INSERT OR REPLACE INTO folder (path, modified, changed, inode, looked_at,"
                 " histories) VALUES (?1, ?2, ?3, ?4, ?5, ?6)");
  const int step = keep.BindTextInPlace(1, folder)
                       .BindInt64(2, state.modified)
                       .BindInt64(3, state.changed)
                       .BindInt64(4, state.inode)
                       .BindInt64(5, lookedAt)
                       .BindBlob(6, std::span(reinterpret_cast<const unsigned char*>(bytes.data()),
                                              bytes.size()))
                       .Step();
  if (step != SQLITE_DONE) return Fail(step);
  return {};
}

Result<> SearchIndex::Commit() {
  if (!writing_) return Healthy();
  writing_ = false;
  for (const char* sql : {"COMMIT", kReadingCache}) {
    if (Result<> done = Execute(sql); !done) return done;
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
