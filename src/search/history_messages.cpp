#include "history_messages.hpp"

#include "history/log_document.hpp"
#include "history/readable_entry.hpp"
#include "history/xml_error.hpp"
#include "search/case_fold.hpp"
#include "search/search_query.hpp"
#include "time/time_value.hpp"
#include "time/utc_stamp.hpp"

namespace palvarin {
namespace {

std::string HitTime(const ReadableEntry& entry) {
  if (entry.dateTime) {
    if (const auto utc = ParseUtcStamp(*entry.dateTime)) {
      if (std::string local = FormatTime(*utc, "%Y-%m-%d %H:%M:%S"); !local.empty()) return local;
    }
  }
  const std::string date(entry.date.value_or("")), clock(entry.clock.value_or(""));
  if (date.empty() || clock.empty()) return date + clock;
  return date + ' ' + clock;
}

}  // namespace

Result<> SearchHistoryFile(const std::filesystem::path& file, const std::vector<std::string>& words,
                           std::vector<SearchHit>& hits, IndexText* index, Reason& damage) {
  try {
    const Result<LogDocument> log = LoadLogDocument(file, BrokenOff::Rescue);
    if (!log) return Failure{log.reason()};
    damage = log->Damage();
    std::string folded;
    for (pugi::xml_node node = log->Root().first_child(); node; node = node.next_sibling()) {
      if (node.type() != pugi::node_element) continue;
      // The text as ReadReadableEntry gives it; the rest of the entry only for a hit.
      const pugi::xml_node text = FindUniqueElement(node, "Text");
      if (!text) continue;
      FoldCase(ElementText(text), folded);
      if (index != nullptr) index->Add(folded);
      if (!HoldsEveryWord(folded, words)) continue;
      ReadableEntry entry = ReadReadableEntry(LogEntry{node});
      hits.push_back({{},
                      HitTime(entry),
                      std::string(entry.from.value_or("")),
                      std::move(entry.text).value_or("")});
    }
    return {};
  } catch (const XmlError& error) {
    return Failure{error.Why()};
  }
}

}  // namespace palvarin
