#include "reader/history_book.hpp"

#include "history/log_entry.hpp"
#include "history/xml_error.hpp"

namespace palvarin {

HistoryBook::HistoryBook(LogDocument document) : document_(std::move(document)) {
  std::int32_t session = -1;
  for (pugi::xml_node node = document_.Root().first_child(); node; node = node.next_sibling()) {
    if (node.type() != pugi::node_element) continue;
    const EntryStamps stamps = ReadEntryStamps(LogEntry{node});
    const std::int32_t entrySession = SessionIdOf(stamps.session);
    if (conversations_.empty() || entrySession != session) {
      conversations_.push_back({.first = EntryCount(),
                                .count = 0,
                                .date = stamps.date.value(),
                                .clock = stamps.time.value()});
      session = entrySession;
    }
    ++conversations_.back().count;
    entries_.push_back(node);
  }
}

ReadableEntry HistoryBook::Entry(int index) const {
  return ReadReadableEntry(LogEntry{entries_.at(static_cast<std::size_t>(index))});
}

Result<HistoryBook> OpenHistoryBook(const std::filesystem::path& path) {
  try {
    Result<LogDocument> document = LoadLogDocument(path);
    if (!document) return Failure{document.reason()};
    return HistoryBook(std::move(*document));
  } catch (const XmlError& error) {
    return Failure{error.Why()};
  }
}

}  // namespace palvarin
