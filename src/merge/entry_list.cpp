#include "merge/entry_list.hpp"

#include "merge/entry_time.hpp"

namespace palvarin {

EntryList::EntryList(const NodeList& nodes, EntrySource source, LocalTimeCache& hours)
    : nodes_(&nodes), source_(source), times_(nodes.size()), sessions_(nodes.size(), -1) {
  for (std::size_t i = 0; i < nodes.size(); ++i) {
    if (nodes[i].type() != pugi::node_element) continue;
    const EntryStamps stamps = ReadEntryStamps(LogEntry{nodes[i]});
    times_[i] = EntryTime(stamps, hours).value_or(kNoTime);
    sessions_[i] = SessionIdOf(stamps.session);
  }
}

TimedEntry EntryList::Entry(int index) const {
  const auto at = static_cast<std::size_t>(index);
  const TimeValue time = times_[at];
  return {LogEntry{(*nodes_)[at]}, time == kNoTime ? std::nullopt : std::optional(time)};
}

}  // namespace palvarin
