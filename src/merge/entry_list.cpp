#include "merge/entry_list.hpp"

#include "merge/entry_time.hpp"

namespace palvarin {

EntryList::EntryList(const NodeList& nodes, EntrySource source, LocalTimeCache& hours)
    : nodes_(&nodes), source_(source), times_(nodes.size()), sessions_(nodes.size(), -1) {
  for (std::size_t i = 0; i < nodes.size(); ++i) {
    if (nodes[i].type() != pugi::node_element) continue;
    times_[i] = EntryTime(LogEntry{nodes[i]}, hours);
    sessions_[i] = ReadSessionId(LogEntry{nodes[i]});
  }
}

TimedEntry EntryList::Entry(int index) const {
  const auto at = static_cast<std::size_t>(index);
  return {LogEntry{(*nodes_)[at]}, times_[at]};
}

}  // namespace palvarin
