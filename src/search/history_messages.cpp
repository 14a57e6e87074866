#include "history_messages.hpp"

#include "history/log_document.hpp"
#include "history/readable_entry.hpp"
#include "history/xml_error.hpp"
#include "search/case_fold.hpp"

namespace palvarin {

Result<> ReadHistoryMessages(const std::filesystem::path& file,
                             std::vector<IndexedMessage>& messages) {
  try {
    const Result<LogDocument> log = LoadLogDocument(file);
    if (!log) return Failure{log.reason()};
    // Room for every entry at once: a growing list moves its messages each time it grows.
    std::size_t entries = 0;
    for (pugi::xml_node node = log->Root().first_child(); node; node = node.next_sibling()) {
      ++entries;
    }
    messages.reserve(messages.size() + entries);
    std::int64_t position = 0;
    for (pugi::xml_node node = log->Root().first_child(); node; node = node.next_sibling()) {
      if (node.type() != pugi::node_element) continue;
      ReadableEntry entry = ReadReadableEntry(LogEntry{node});
      if (entry.text) {
        IndexedMessage& message = messages.emplace_back();
        message.position = position;
        message.date = entry.date.value_or("");
        message.clock = entry.clock.value_or("");
        message.dateTime = entry.dateTime.value_or("");
        message.sender = entry.from.value_or("");
        message.folded = FoldCase(*entry.text);
        message.text = std::move(*entry.text);
      }
      ++position;
    }
    return {};
  } catch (const XmlError& error) {
    return Failure{error.Why()};
  }
}

}  // namespace palvarin
