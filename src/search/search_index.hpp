#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.hpp"
#include "folder_snapshot.hpp"
#include "history_stamp.hpp"
#include "index_terms.hpp"
#include "sqlite/statement.hpp"

struct sqlite3;

namespace palvarin {

// The search's index: SQLite, with an FTS5 trigram index that holds per history the trigrams
// of its case-folded texts (IndexText). Only which histories may hold
// a word is kept, not the messages: those are read from the files again. A cache: whatever it
// holds can be read again from the histories, so it is rebuilt rather than repaired. A failure
// holds for the index's life: every call after one does nothing and fails with it
// (FreshHistory gives none, and the next step says why).
class SearchIndex {
 public:
  // Opens the index in `file`, made when missing (PrivateIndexFile), with a checksum on every
  // page (CheckedPagesVfs); an empty path keeps it in memory.
  explicit SearchIndex(const std::filesystem::path& file);
  ~SearchIndex();
  SearchIndex(const SearchIndex&) = delete;
  SearchIndex& operator=(const SearchIndex&) = delete;

  // Success while nothing has failed, else the first failure.
  Result<> Healthy() const;
  // Whether it failed because the file is damaged, no database, or of another layout (a newer
  // version's): then it is best made anew.
  bool WantsRebuild() const { return rebuild_; }
  // Whether it failed because the file is damaged or no database: a page that does not match
  // its checksum, or what SQLite found malformed.
  bool Damaged() const { return damaged_; }

  // A read transaction around the calls below but Store: one lock and one state of the index
  // for them all. Reads which histories of the folder `folder` (absolute, ending with "/") the
  // index holds: when the search is of the `wholeFolder`, those its last search left, if any.
  Result<> BeginReading(std::string_view folder, bool wholeFolder);
  Result<> EndReading() { return Execute("COMMIT"); }
  // The names of the folder's histories as its last search left them, when the folder is in
  // `state` now and that search looked at it well after its last change: nothing can have been
  // named, removed or renamed in it since without moving its change time. None otherwise.
  std::optional<std::vector<std::string>> KnownNames(const FolderState& state) const;
  // The index's number for the history `name` of the folder read when it holds it as of
  // `stamp`; none after a Store. Quickest when asked in name order.
  std::optional<std::int64_t> FreshHistory(std::string_view name, const HistoryStamp& stamp);
  // Those of `histories` (numbers from FreshHistory) that may hold every word of `query`,
  // in their order.
  Result<std::vector<std::int64_t>> Candidates(const IndexQuery& query,
                                               const std::vector<std::int64_t>& histories);
  // Replaces what the index holds of `path` with `indexText` (IndexText), in the one write
  // transaction of this index's life (committed by Commit); the history's number.
  Result<std::int64_t> Store(const std::string& path, const HistoryStamp& stamp,
                             const std::string& indexText);
  // Keeps `histories`, in name order, with their numbers `ids`, as the histories of the folder
  // `folder` (as BeginReading) in `state`, looked at at `lookedAt` (nanoseconds since 1970), for
  // its next search: in the write transaction, when it is not what the index kept already. Left out
  // when another search wrote to the index since BeginReading: its numbers may no longer be the
  // index's.
  Result<> KeepFolder(std::string_view folder, const FolderState& state, std::int64_t lookedAt,
                      std::span<const HistoryToSearch> histories,
                      std::span<const std::optional<std::int64_t>> ids);
  // Commits what Store and KeepFolder wrote, if anything.
  Result<> Commit();

 private:
  Result<> Open(const std::filesystem::path& file);
  Result<> Prepare();
  // Fails as damaged when the file of this layout keeps no page checksums.
  Result<> CheckPages();
  Result<int> Version();
  Result<> Execute(const char* sql);
  // Keeps the first failure, with SQLite's words for `code`, and gives it.
  Failure Fail(int code);
  Result<> BeginWriting();
  // Loads the histories of `folder` among all the index holds.
  Result<> LoadHeld(std::string_view folder);
  // Loads what the last search of `folder` kept, when it kept anything whole; whether it did.
  Result<bool> LoadFolder(std::string_view folder);
  // Whether there are too many unreachable trigram rows, besides the `reachable` ones (counted
  // when none): then every history is read again.
  Result<> CountUnreachable(std::optional<std::int64_t> reachable);
  Result<std::int64_t> DataVersion();
  // Whether the folder kept is in `state` and was looked at well after its last change.
  bool StillAsKept(const FolderState& state) const;
  // Whether `histories` with `ids` are what BeginReading found kept of the folder.
  bool HeldAsIs(std::span<const HistoryToSearch> histories,
                std::span<const std::optional<std::int64_t>> ids) const;

  sqlite3* db_ = nullptr;
  struct HeldHistory {
    std::int64_t id = 0;
    HistoryStamp stamp;
    std::size_t nameAt = 0, nameSize = 0;  // its name's place in `heldNames_`
  };
  std::string_view HeldName(const HeldHistory& history) const {
    return std::string_view(heldNames_).substr(history.nameAt, history.nameSize);
  }
  // FreshHistory's: the folder's histories the index holds, in name order, as of the read
  // transaction, their names one after another in `heldNames_` (a thousand small strings cost
  // more than reading them); where FreshHistory looks first, after the last one asked for.
  std::optional<std::vector<HeldHistory>> held_;
  std::string heldNames_;
  std::size_t nextHeld_ = 0;
  // What the last search of the folder being read kept (KeepFolder), as BeginReading found it.
  struct KeptFolder {
    FolderState state;
    std::int64_t lookedAt = 0;
  };
  std::optional<KeptFolder> kept_;
  // SQLite's count of other connections' commits, at BeginReading; whether it moved before
  // this index began writing.
  std::int64_t dataVersion_ = 0;
  bool intervened_ = false;
  // Store's statements, prepared once for every history.
  std::optional<Statement> forget_, record_, index_;
  std::string file_;  // the index file; empty for one in memory
  Reason failure_;
  bool rebuild_ = false;
  bool damaged_ = false;
  bool writing_ = false;
  bool purge_ = false;  // too many unreachable trigram rows: the writing starts from nothing
};

// Removes the index in `file` and what SQLite keeps beside it.
void RemoveIndex(const std::filesystem::path& file);

}  // namespace palvarin
