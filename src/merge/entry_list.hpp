#pragma once

#include <climits>
#include <cstdint>
#include <optional>
#include <vector>

#include "history/local_time_cache.hpp"
#include "history/log_document.hpp"
#include "merge/entry_comparison.hpp"

namespace palvarin {

// Where an entry written by the merge was met.
enum class EntrySource { kInput1, kInput2, kBoth };

// The child nodes of one input's root, read by position, with the time and session value
// of every entry worked out once up front: the merge asks for them again and again.
class EntryList {
 public:
  // Converts the times through `hours`, which lists read on one thread may share.
  EntryList(const NodeList& nodes, EntrySource source, LocalTimeCache& hours);

  int Length() const { return static_cast<int>(nodes_->size()); }
  EntrySource Source() const { return source_; }
  // The entry at `index`, which must stand on an element.
  TimedEntry Entry(int index) const;
  // ReadSessionId of the entry at `index`.
  std::int32_t Session(int index) const { return sessions_[static_cast<std::size_t>(index)]; }
  // Moves `index` to the next element at or after it, or to the length.
  void SkipToElement(int& index) const { palvarin::SkipToElement(*nodes_, index); }

 private:
  const NodeList* nodes_;
  EntrySource source_;
  static constexpr TimeValue kNoTime = INT64_MIN;
  std::vector<TimeValue> times_;  // kNoTime where an entry has none: half the room of optional
  std::vector<std::int32_t> sessions_;
};

}  // namespace palvarin
