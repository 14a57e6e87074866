#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.hpp"
#include "index_terms.hpp"
#include "sqlite/statement.hpp"

struct sqlite3;

namespace palvarin {

// What tells a history file apart from an earlier state of itself: its status. The change time
// moves with every write, also one that puts the size and the last-write time back.
struct HistoryStamp {
  std::int64_t size = 0, modified = 0, changed = 0, inode = 0;  // times in nanoseconds
  bool operator==(const HistoryStamp&) const = default;
};

// The search's index: SQLite, with an FTS5 trigram index that holds per history the trigrams
// of its case-folded texts (IndexText). Only which histories may hold
// a word is kept, not the messages: those are read from the files again. A cache: whatever it
// holds can be read again from the histories, so it is rebuilt rather than repaired. A failure
// holds for the index's life: every call after one does nothing and fails with it
// (FreshHistory gives none, and the next step says why).
class SearchIndex {
 public:
  // Opens the index in `file`, made when missing (its folder only for this user); an empty
  // path keeps it in memory.
  explicit SearchIndex(const std::filesystem::path& file);
  ~SearchIndex();
  SearchIndex(const SearchIndex&) = delete;
  SearchIndex& operator=(const SearchIndex&) = delete;

  // Success while nothing has failed, else the first failure.
  Result<> Healthy() const;
  // Whether it failed because the file is damaged, no database, or of another layout (a newer
  // version's): then it is best made anew.
  bool WantsRebuild() const { return rebuild_; }

  // A read transaction around FreshHistory and Candidates calls: one lock and one state of
  // the index for them all. Reads which histories the index holds.
  Result<> BeginReading();
  Result<> EndReading() { return Execute("COMMIT"); }
  // The index's number for the history at the absolute `path` when it holds it as of `stamp`;
  // none after a Store. Quickest when asked in path order.
  std::optional<std::int64_t> FreshHistory(std::string_view path, const HistoryStamp& stamp);
  // Those of `histories` (numbers from FreshHistory) that may hold every word of `query`,
  // in their order.
  Result<std::vector<std::int64_t>> Candidates(const IndexQuery& query,
                                               const std::vector<std::int64_t>& histories);
  // Replaces what the index holds of `path` with `indexText` (IndexText), in the one write
  // transaction of this index's life (committed by Commit); the history's number.
  Result<std::int64_t> Store(const std::string& path, const HistoryStamp& stamp,
                             const std::string& indexText);
  // Commits what Store wrote, if anything.
  Result<> Commit();

 private:
  Result<> Open(const std::filesystem::path& file);
  Result<> Prepare();
  Result<int> Version();
  Result<> Execute(const char* sql);
  // Keeps the first failure, with SQLite's words for `code`, and gives it.
  Failure Fail(int code);
  Result<> BeginWriting();
  Result<> LoadHeld();

  sqlite3* db_ = nullptr;
  struct HeldHistory {
    std::int64_t id = 0;
    HistoryStamp stamp;
    std::size_t pathAt = 0, pathSize = 0;  // its path's place in `heldPaths_`
  };
  std::string_view HeldPath(const HeldHistory& history) const {
    return std::string_view(heldPaths_).substr(history.pathAt, history.pathSize);
  }
  // FreshHistory's: the histories the index holds, in path order, as of the read transaction,
  // their paths one after another in `heldPaths_` (a thousand small strings cost more than
  // reading them); where FreshHistory looks first, after the last one asked for.
  std::optional<std::vector<HeldHistory>> held_;
  std::string heldPaths_;
  std::size_t nextHeld_ = 0;
  // Store's statements, prepared once for every history.
  std::optional<Statement> forget_, record_, index_;
  std::string file_;  // the index file; empty for one in memory
  Reason failure_;
  bool rebuild_ = false;
  bool writing_ = false;
  bool purge_ = false;  // too many unreachable trigram rows: the writing starts from nothing
};

// Removes the index in `file` and what SQLite keeps beside it.
void RemoveIndex(const std::filesystem::path& file);

}  // namespace palvarin
