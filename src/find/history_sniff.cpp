#include "history_sniff.hpp"

#include <algorithm>

#include "history/log_document.hpp"
#include "merge/entry_times.hpp"

namespace palvarin {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

HeadVerdict ReadHead(std::string_view head, bool wholeFile) {
  const HeadVerdict cutShort = wholeFile ? HeadVerdict::NotHistory : HeadVerdict::Undecided;
  if (head.starts_with("\xEF\xBB\xBF")) head.remove_prefix(3);
  // UTF-16 and UTF-32 (with or without a byte order mark) are left to the real parse.
  if (head.size() >= 2 &&
      (head[0] == '\0' || head[1] == '\0' || static_cast<unsigned char>(head[0]) >= 0xFE)) {
    return HeadVerdict::Undecided;
  }
  for (;;) {
    const std::size_t at = std::find_if_not(head.begin(), head.end(), IsBlank) - head.begin();
    head.remove_prefix(at);
    if (head.empty()) return cutShort;
    std::string_view closing;
    if (head.starts_with("<?")) {
      closing = "?>";
    } else if (head.starts_with("<!--")) {
      closing = "-->";
    } else if (head.size() < 4 && std::string_view("<!--").starts_with(head)) {
      return cutShort;
    } else if (head.starts_with("<Log")) {
      if (head.size() == 4) return cutShort;
      const char next = head[4];
      return IsBlank(next) || next == '>' || next == '/' ? HeadVerdict::LogRoot
                                                         : HeadVerdict::NotHistory;
    } else {
      return std::string_view("<Log").starts_with(head) ? cutShort : HeadVerdict::NotHistory;
    }
    const std::size_t end = head.find(closing, 2);
    if (end == std::string_view::npos) return cutShort;
    head.remove_prefix(end + closing.size());
  }
}

Result<HistoryFacts> ReadHistoryFacts(const std::filesystem::path& path, LocalTimeCache& hours) {
  Result<LogDocument> document = LoadLogDocument(path);
  if (!document) return Failure{document.reason()};
  const NodeList nodes = ChildNodes(document->Root());
  HistoryFacts facts;
  facts.entries =
      static_cast<std::size_t>(std::count_if(nodes.begin(), nodes.end(), [](pugi::xml_node node) {
        return node.type() == pugi::node_element;
      }));
  for (const std::optional<TimeValue>& time : ReadEntryTimes(nodes, hours)) {
    if (!time) continue;
    if (!facts.first || *time < *facts.first) facts.first = time;
    if (!facts.last || *time > *facts.last) facts.last = time;
  }
  return facts;
}

bool SaysNoHistory(ReasonKind kind) {
  switch (kind) {
    case ReasonKind::NotWellFormed:
    case ReasonKind::HasDocumentType:
    case ReasonKind::TextOutsideRoot:
    case ReasonKind::NoElement:
    case ReasonKind::SeveralRoots:
    case ReasonKind::RootNotLog:
    case ReasonKind::HoldsNul:
    case ReasonKind::RepeatedAttribute:
      return true;
    default:
      return false;
  }
}

}  // namespace palvarin
