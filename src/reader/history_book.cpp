#include "reader/history_book.hpp"

#include <algorithm>

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

int HistoryBook::ConversationOf(int index) const {
  const auto after = std::upper_bound(
      conversations_.begin(), conversations_.end(), index,
      [](int at, const Conversation& conversation) { return at < conversation.first; });
  return static_cast<int>(after - conversations_.begin()) - 1;
}

int HistoryBook::FindMessage(int from, std::string_view sender, std::string_view text) const {
  for (int at = std::max(from, 0); at < EntryCount(); ++at) {
    const ReadableEntry entry = Entry(at);
    if (entry.text && *entry.text == text && entry.from.value_or("") == sender) return at;
  }
  return -1;
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
