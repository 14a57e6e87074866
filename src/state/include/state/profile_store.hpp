#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "base/result.hpp"
#include "history/entry_identity.hpp"
#include "state/profile_location.hpp"

struct sqlite3;
struct sqlite3_stmt;

namespace palvarin {

class WalWriteBack;

// The section of the job options.
inline constexpr std::string_view kSettingSection = "Setting";
// The section of the per-pair last-merge times.
inline constexpr std::string_view kMergeTimeSection = "FileMergeTime";

// The per-user profile: sections of named string and 32-bit integer values in one SQLite file
// that several processes, and several threads of one, may use at once. Names are compared exactly.
// A store that cannot be opened or is damaged reads as empty, refuses writes and is never changed;
// one written by a newer version of the program is read but refuses writes and is never changed.
// How a store is opened: ReadOnly creates nothing, neither the file nor its folders nor
// anything beside it, and refuses every write; an absent store then reads as empty.
enum class ProfileAccess { ReadWrite, ReadOnly };

class ProfileStore {
 public:
  // Opens the store at `file`, creating its folders and the file when missing (ReadWrite).
  explicit ProfileStore(std::filesystem::path file = ProfileLocation(),
                        ProfileAccess access = ProfileAccess::ReadWrite);
  ~ProfileStore();
  ProfileStore(const ProfileStore&) = delete;
  ProfileStore& operator=(const ProfileStore&) = delete;

  // The stored string, or `fallback` when it is absent or no string.
  std::string GetProfileString(std::string_view section, std::string_view entry,
                               std::string_view fallback);
  // The names in `section` that begin with one of `prefixes`, each with its string value (empty
  // for another kind), read as ranges of the store's key, never by a scan of the section. A
  // prefix that is empty or only bytes 0xFF finds nothing.
  std::vector<std::pair<std::string, std::string>> ReadProfileStringsStartingWith(
      std::string_view section, std::span<const std::string> prefixes);
  // The stored integer, or `fallback` when it is absent or no 32-bit integer.
  std::int32_t GetProfileInt(std::string_view section, std::string_view entry,
                             std::int32_t fallback);
  // Stores `text` in a transaction of its own, replacing an older value.
  Result<> WriteProfileString(std::string_view section, std::string_view entry,
                              std::string_view text);
  // Stores `value` in a transaction of its own, replacing an older value.
  Result<> WriteProfileInt(std::string_view section, std::string_view entry, std::int32_t value);

  // Stores a pair's merge time `stamp` under `key` in kMergeTimeSection together with the
  // identities both files held after that merge, in one transaction: both or neither.
  Result<> WriteMergeRecord(std::string_view key, std::string_view stamp,
                            std::span<const EntryIdentity> identities);
  // One pair's record, as WriteMergeRecord takes it.
  struct MergeRecord {
    std::string_view key;
    std::string_view stamp;
    std::span<const EntryIdentity> identities;
  };
  // Stores many pairs' records in one transaction, all or none: a folder job merges hundreds
  // of pairs, and a transaction each cost it more than its own work on small files.
  Result<> WriteMergeRecords(std::span<const MergeRecord> records);
  // The identities stored under `key` with exactly `stamp`; none when there are none for that
  // stamp (a time written later by anything else) or the stored ones are malformed.
  std::optional<std::vector<EntryIdentity>> ReadMergeIdentities(std::string_view key,
                                                                std::string_view stamp);

  // False when the store could not be opened or was found damaged.
  bool IsAvailable() const { return db_ != nullptr; }
  // The first problem met, reads and opening included, for showing once: a failure with its
  // reason; success afterwards and while there was none.
  Result<> TakeProblem();
  const std::filesystem::path& File() const { return file_; }

 private:
  using StoredValue = std::variant<std::monostate, std::string, std::int64_t>;

  Result<> Open();
  Result<> OpenForReading();
  void Close();
  Result<> Execute(const char* sql);
  Result<> PassesCheck();
  Result<int> SchemaVersion();
  Result<> Upgrade();
  void LeaveUnchanged();
  std::string DatabaseWords() const;
  Failure Problem(ReasonKind kind, std::string detail = {}, int code = 0) const;
  Failure Unusable() const;  // in the database's words
  Result<> Remember(Result<> outcome);
  static StoredValue ColumnValue(sqlite3_stmt* row);
  bool Found(int step);
  StoredValue Read(std::string_view section, std::string_view entry);
  template <typename Work>
  Result<> WriteTransaction(Work work);
  bool Insert(std::string_view section, std::string_view entry, const StoredValue& value);
  Result<> Store(std::string_view section, std::string_view entry, const StoredValue& value);

  std::filesystem::path file_;
  sqlite3* db_ = nullptr;
  std::unique_ptr<WalWriteBack> writeBack_;  // a writable store's log, copied back as it grows
  std::mutex mutex_;       // one statement or transaction at a time on the connection
  bool readOnly_ = false;  // written by a newer version, or opened ReadOnly: read, never changed
  ProfileAccess access_ = ProfileAccess::ReadWrite;
  Result<> problem_;
  bool told_ = false;
};

}  // namespace palvarin
