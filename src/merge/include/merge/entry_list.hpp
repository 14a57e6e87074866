#pragma once

#include <climits>
#include <cstdint>
#include <optional>
#include <vector>

#include "history/entry_identity.hpp"
#include "history/log_document.hpp"
#include "merge/entry_comparison.hpp"
#include "merge/entry_sink.hpp"
#include "time/local_time_cache.hpp"

namespace palvarin {

// The child nodes of one input's root, read by position, with the time, session value and
// identity of every entry worked out once up front: the merge asks for them again and again.
class EntryList {
 public:
  // Converts the times through `hours`, which lists read on one thread may share.
  EntryList(const NodeList& nodes, EntrySource source, LocalTimeCache& hours);

  int Length() const { return static_cast<int>(nodes_->size()); }
  EntrySource Source() const { return source_; }
  // The entry at `index`, which must stand on an element.
  TimedEntry Entry(int index) const;
  // ReadSessionId of the entry at `index`.
  std::int32_t Session(int index) const { return sessions_[At(index)]; }
  // The identity of the entry at `index`.
  const EntryIdentity& Identity(int index) const { return identities_[At(index)]; }
  // The time the aligning merge orders the entry at `index` by: its EntryTime, or where it has
  // none a time read from the regional forms of "Date" and "Time"; none without either.
  std::optional<TimeValue> AlignedTime(int index) const;
  // Moves `index` to the next element at or after it, or to the length.
  void SkipToElement(int& index) const { palvarin::SkipToElement(*nodes_, index); }
  // True when some entry of the list has `identity`. Not for use from several threads.
  bool Holds(const EntryIdentity& identity) const;

 private:
  static std::size_t At(int index) { return static_cast<std::size_t>(index); }
  static std::optional<TimeValue> Optional(TimeValue time);

  const NodeList* nodes_;
  EntrySource source_;
  static constexpr TimeValue kNoTime = INT64_MIN;
  std::vector<TimeValue> times_;  // kNoTime where an entry has none: half the room of optional
  std::vector<TimeValue> regionalTimes_;  // empty when no entry needed one
  std::vector<std::int32_t> sessions_;
  std::vector<EntryIdentity> identities_;
  mutable std::vector<EntryIdentity> sorted_;  // the identities, sorted when first asked
};

}  // namespace palvarin
