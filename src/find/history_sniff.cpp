#include "history_sniff.hpp"

#include <algorithm>
#include <string>
#include <utility>

#include "history/entry_times.hpp"
#include "history/history_owner.hpp"
#include "history/log_document.hpp"

namespace palvarin {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The ASCII characters of a UTF-16 head (`low`: the byte of each pair that holds them), up
// to the first other character; whether they were all.
std::pair<std::string, bool> NarrowUtf16(std::string_view head, std::size_t low) {
  std::string narrow;
  std::size_t at = 0;
  for (; at + 1 < head.size(); at += 2) {
    const char c = head[at + low];
    if (head[at + 1 - low] != '\0' || c == '\0' || static_cast<unsigned char>(c) >= 0x80) break;
    narrow += c;
  }
  return {std::move(narrow), at + 1 >= head.size()};
}

// ReadHead of text in which ASCII is ASCII.
HeadVerdict ReadMarkup(std::string_view head, bool wholeFile) {
  const HeadVerdict cutShort = wholeFile ? HeadVerdict::NotHistory : HeadVerdict::Undecided;
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

}  // namespace

HeadVerdict ReadHead(std::string_view head, bool wholeFile) {
  if (head.starts_with("\xEF\xBB\xBF")) head.remove_prefix(3);
  // UTF-32, rare: left to the real parse. A NUL in any other text but UTF-16 says that it is
  // no history, which may hold none: a picture, a program, a database.
  if (head.starts_with(std::string_view("\0\0\xFE\xFF", 4)) ||
      head.starts_with(std::string_view("\xFF\xFE\0\0", 4)) ||
      head.starts_with(std::string_view("<\0\0\0", 4)) ||
      head.starts_with(std::string_view("\0\0\0<", 4))) {
    return HeadVerdict::Undecided;
  }
  std::size_t low = 2;  // not UTF-16
  if (head.starts_with("\xFF\xFE") || head.starts_with(std::string_view("<\0", 2))) low = 0;
  if (head.starts_with("\xFE\xFF") || head.starts_with(std::string_view("\0<", 2))) low = 1;
  if (low == 2) {
    if (head.find('\0') != std::string_view::npos) return HeadVerdict::NotHistory;
    return ReadMarkup(head, wholeFile);
  }
  if (static_cast<unsigned char>(head[0]) >= 0xFE) head.remove_prefix(2);
  const auto [narrow, all] = NarrowUtf16(head, low);
  return ReadMarkup(narrow, wholeFile && all);
}

Result<HistoryFacts> ReadHistoryFacts(const std::filesystem::path& path, LocalTimeCache& hours,
                                      HistoryOwner& owner) {
  Result<LogDocument> document = LoadLogDocument(path, BrokenOff::Rescue);
  if (!document) return Failure{document.reason()};
  owner.AddHistory(document->Root());
  const NodeList nodes = ChildNodes(document->Root());
  HistoryFacts facts;
  facts.damage = document->Damage();
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

}  // namespace palvarin
