#include "history/history_owner.hpp"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <map>
#include <string_view>

#include "history/log_document.hpp"
#include "history/readable_entry.hpp"

namespace palvarin {

void HistoryOwner::AddHistory(pugi::xml_node root) {
  // The names of each session, by its number.
  std::map<std::int32_t, std::set<std::string_view>> sessions;
  for (const pugi::xml_node node : ChildNodes(root)) {
    if (node.type() != pugi::node_element) continue;
    const ReadableEntry entry = ReadReadableEntry(LogEntry{node});
    std::set<std::string_view>& names = sessions[entry.session];
    if (entry.from && !entry.from->empty()) names.insert(*entry.from);
    for (const std::string_view to : entry.to) {
      if (!to.empty()) names.insert(to);
    }
  }
  for (const auto& [session, names] : sessions) {
    if (!everywhere_) {
      everywhere_.emplace(names.begin(), names.end());
      continue;
    }
    std::set<std::string> kept;
    std::set_intersection(everywhere_->begin(), everywhere_->end(), names.begin(), names.end(),
                          std::inserter(kept, kept.end()), std::less<>{});
    everywhere_ = std::move(kept);
  }
}

std::optional<std::string> HistoryOwner::Owner() const {
  if (!everywhere_ || everywhere_->size() != 1) return std::nullopt;
  return *everywhere_->begin();
}

std::optional<std::string> FindHistoryOwner(pugi::xml_node root) {
  HistoryOwner owner;
  owner.AddHistory(root);
  return owner.Owner();
}

}  // namespace palvarin
