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
  // What a merge of `first` and `second` wrote, as one list to merge on: `nodes` holds the
  // records' entries in order, and each keeps the time and identity its own list read and the
  // session the merge gave it.
  EntryList(const NodeList& nodes, const std::vector<MergedEntry>& merged, EntrySource source,
            const EntryList& first, const EntryList& second);

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
  void SkipToElement(int& index) const {
    while (index < Length() && !elements_[At(index)]) ++index;
  }
  // True when some entry of the list has `identity`. Not for use from several threads.
  bool Holds(const EntryIdentity& identity) const;

 private:
  static std::size_t At(int index) { return static_cast<std::size_t>(index); }
  static std::optional<TimeValue> Optional(TimeValue time);

  const NodeList* nodes_;
  EntrySource source_;
  static constexpr TimeValue kNoTime = INT64_MIN;
  // Which nodes are elements, read once: asking a node its type after the parse misses the
  // cache, and the merges step over every entry.
  std::vector<bool> elements_;
  std::vector<TimeValue> times_;  // kNoTime where an entry has none: half the room of optional
  std::vector<TimeValue> regionalTimes_;  // empty when no entry needed one
  std::vector<std::int32_t> sessions_;
  std::vector<EntryIdentity> identities_;
  mutable std::vector<EntryIdentity> sorted_;  // the identities, sorted when first asked
};

// The identity of `record`, written by a merge of `first` and `second`.
inline const EntryIdentity& IdentityOf(const MergedEntry& record, const EntryList& first,
                                       const EntryList& second) {
  return (record.source == EntrySource::kInput2 ? second : first).Identity(record.index);
}

}  // namespace palvarin
