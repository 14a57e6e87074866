#include "history_messages.hpp"

#include "history/entry_times.hpp"
#include "history/log_document.hpp"
#include "history/readable_entry.hpp"
#include "history/xml_error.hpp"
#include "search/case_fold.hpp"
#include "search/search_query.hpp"

namespace palvarin {

Result<> SearchHistoryFile(const std::filesystem::path& file, const std::vector<std::string>& words,
                           std::vector<SearchHit>& hits, IndexText* index, Reason& damage) {
  try {
    const Result<LogDocument> log = LoadLogDocument(file, BrokenOff::Rescue);
    if (!log) return Failure{log.reason()};
    damage = log->Damage();
    std::string folded;
    const NodeList nodes = ChildNodes(log->Root());
    const std::size_t firstHit = hits.size();
    std::vector<std::size_t> hitNodes;
    for (std::size_t at = 0; at < nodes.size(); ++at) {
      const pugi::xml_node node = nodes[at];
      if (node.type() != pugi::node_element) continue;
      // The text as ReadReadableEntry gives it; the rest of the entry only for a hit.
      const pugi::xml_node text = FindUniqueElement(node, "Text");
      if (!text) continue;
      FoldCase(ElementText(text), folded);
      if (index != nullptr) index->Add(folded);
      if (!HoldsEveryWord(folded, words)) continue;
      ReadableEntry entry = ReadReadableEntry(LogEntry{node});
      hits.push_back(
          {{}, {}, std::string(entry.from.value_or("")), std::move(entry.text).value_or("")});
      hitNodes.push_back(at);
    }
    if (hitNodes.empty()) return {};
    // The reader's clock, which needs the whole file's times (one order of regional fields).
    LocalTimeCache hours;
    const std::vector<std::optional<TimeValue>> times = ReadEntryTimes(nodes, hours);
    for (std::size_t k = 0; k < hitNodes.size(); ++k) {
      hits[firstHit + k].time = EntryStamp(times[hitNodes[k]], nodes[hitNodes[k]]);
    }
    return {};
  } catch (const XmlError& error) {
    return Failure{error.Why()};
  }
}

}  // namespace palvarin
