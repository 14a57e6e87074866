#pragma once

#include <cstdint>
#include <filesystem>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.hpp"
#include "history/log_document.hpp"
#include "history/readable_entry.hpp"

namespace palvarin {

// A run of consecutive entries of one session, and the "Date" and "Time" of its first entry as
// the history writes them (empty when it has none).
struct Conversation {
  int first = 0;  // the index of its first entry
  int count = 0;
  std::string date, clock;

  bool operator==(const Conversation&) const = default;
};

// A history opened for reading only: its entries (the element children of the root) are read
// one at a time when asked for, never all at once.
class HistoryBook {
 public:
  explicit HistoryBook(LogDocument document);

  int EntryCount() const { return static_cast<int>(entries_.size()); }
  // The entry at `index` (0 to EntryCount() - 1); its views point into the book's document.
  ReadableEntry Entry(int index) const;
  const std::vector<Conversation>& Conversations() const { return conversations_; }
  // The entries themselves, in the history's order.
  const NodeList& Entries() const { return entries_; }
  // The index of the conversation that holds the entry at `index`.
  int ConversationOf(int index) const;
  // The reader's one clock for the entry at `index`: its moment as the merge and the exports
  // read it (the "Date" and "Time" the history writes, else its "DateTime"), in local time.
  // Stamp gives "YYYY-MM-DD HH:MM:SS", Clock "HH:MM:SS"; both give the "Date" and "Time" as
  // written when the entry has no readable moment.
  std::string Stamp(int index) const;
  std::string Clock(int index) const;
  // The local day of the entry at `index`, in days since 1970-01-01; none without a moment.
  std::optional<std::int32_t> Day(int index) const;
  // The first entry at `from` or after that has `text` from `sender` (empty: an entry naming
  // no sender); -1 when there is none. A search names its hits this way.
  int FindMessage(int from, std::string_view sender, std::string_view text) const;

 private:
  LogDocument document_;
  NodeList entries_;
  std::vector<Conversation> conversations_;
  std::vector<std::int64_t> moments_;  // per entry; 0: none
  std::vector<std::int32_t> days_;     // per entry; kNoDay: none
  static constexpr std::int32_t kNoDay = std::numeric_limits<std::int32_t>::min();
};

// Opens the history `path`; fails, naming the file, when it is no history that can be read
// (see LoadLogDocument).
Result<HistoryBook> OpenHistoryBook(const std::filesystem::path& path);

}  // namespace palvarin
