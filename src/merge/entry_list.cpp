#include "merge/entry_list.hpp"

#include <algorithm>

#include "entry_identity.hpp"
#include "history/entry_time.hpp"
#include "history/regional_time.hpp"

namespace palvarin {

EntryList::EntryList(const NodeList& nodes, EntrySource source, LocalTimeCache& hours)
    : nodes_(&nodes),
      source_(source),
      elements_(nodes.size(), false),
      times_(nodes.size()),
      sessions_(nodes.size(), -1),
      identities_(nodes.size()) {
  IdentityDigest digest;
  std::vector<std::size_t> untimed;
  std::vector<RegionalStamp> stamps;
  for (std::size_t i = 0; i < nodes.size(); ++i) {
    if (nodes[i].type() != pugi::node_element) continue;
    elements_[i] = true;
    const LogEntry entry{nodes[i]};
    const EntryStamps read = ReadEntryStamps(entry);
    const auto time = EntryTime(read, hours);
    times_[i] = time.value_or(kNoTime);
    sessions_[i] = SessionIdOf(read.session);
    identities_[i] = digest.Of({entry, time}, read.dateTime);
    if (!time && read.date && read.time) {
      untimed.push_back(i);
      stamps.push_back({read.date.value(), read.time.value()});
    }
  }
  // Files without "DateTime" whose dates are not year first: the regional forms, read with
  // one field order for the whole file.
  if (untimed.empty()) return;
  const auto regional = ReadRegionalTimes(stamps, hours);
  regionalTimes_.assign(nodes.size(), kNoTime);
  for (std::size_t k = 0; k < untimed.size(); ++k) {
    regionalTimes_[untimed[k]] = regional[k].value_or(kNoTime);
  }
}

EntryList::EntryList(const NodeList& nodes, const std::vector<MergedEntry>& merged,
                     EntrySource source, const EntryList& first, const EntryList& second)
    : nodes_(&nodes),
      source_(source),
      elements_(nodes.size(), true),
      times_(nodes.size()),
      sessions_(nodes.size()),
      identities_(nodes.size()) {
  const bool regional = !first.regionalTimes_.empty() || !second.regionalTimes_.empty();
  if (regional) regionalTimes_.assign(nodes.size(), kNoTime);
  for (std::size_t i = 0; i < merged.size(); ++i) {
    const MergedEntry& record = merged[i];
    const EntryList& from = record.source == EntrySource::kInput2 ? second : first;
    const std::size_t at = At(record.index);
    times_[i] = from.times_[at];
    if (regional && !from.regionalTimes_.empty()) regionalTimes_[i] = from.regionalTimes_[at];
    sessions_[i] = record.session;
    identities_[i] = from.identities_[at];
  }
}

std::optional<TimeValue> EntryList::Optional(TimeValue time) {
  return time == kNoTime ? std::nullopt : std::optional(time);
}

TimedEntry EntryList::Entry(int index) const {
  return {LogEntry{(*nodes_)[At(index)]}, Optional(times_[At(index)])};
}

std::optional<TimeValue> EntryList::AlignedTime(int index) const {
  const TimeValue time = times_[At(index)];
  if (time != kNoTime || regionalTimes_.empty()) return Optional(time);
  return Optional(regionalTimes_[At(index)]);
}

bool EntryList::Holds(const EntryIdentity& identity) const {
  if (sorted_.empty()) {
    for (std::size_t i = 0; i < nodes_->size(); ++i) {
      if (elements_[i]) sorted_.push_back(identities_[i]);
    }
    std::sort(sorted_.begin(), sorted_.end());
  }
  return std::binary_search(sorted_.begin(), sorted_.end(), identity);
}

}  // namespace palvarin
