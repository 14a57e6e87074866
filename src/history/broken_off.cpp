#include "broken_off.hpp"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <optional>

namespace palvarin {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kLogEnd = "</Log>";

bool IsWhiteSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Just past the ">" of the tag starting at `from`, quoted attribute values stepped over.
std::optional<std::size_t> TagEnd(std::string_view text, std::size_t from) {
  for (std::size_t at = from + 1; at < text.size(); ++at) {
    if (text[at] == '"' || text[at] == '\'') {
      at = text.find(text[at], at + 1);
      if (at == std::string_view::npos) return std::nullopt;
    } else if (text[at] == '>') {
      return at + 1;
    }
  }
  return std::nullopt;
}

// Just past the end of the construct "<..." at `from` that ends with `close`.
std::optional<std::size_t> PastClose(std::string_view text, std::size_t from,
                                     std::string_view close) {
  const std::size_t at = text.find(close, from);
  if (at == std::string_view::npos) return std::nullopt;
  return at + close.size();
}

// Just past the end tag of the element starting at `from`, when `text` holds it. The parser
// took `text` without a fault, so no text in it holds "<" and a lexical walk suffices: no
// name needs checking, and the depth is a counter, whatever the nesting.
std::optional<std::size_t> ElementEnd(std::string_view text, std::size_t from) {
  std::size_t depth = 0;
  std::size_t at = from;
  while (true) {
    at = text.find('<', at);
    if (at == std::string_view::npos) return std::nullopt;
    const std::string_view rest = text.substr(at);
    std::optional<std::size_t> next;
    if (rest.starts_with("<!--")) {
      next = PastClose(text, at + 4, "-->");
    } else if (rest.starts_with("<![CDATA[")) {
      next = PastClose(text, at + 9, "]]>");
    } else if (rest.starts_with("<?")) {
      next = PastClose(text, at + 2, "?>");
    } else if (rest.starts_with("</")) {
      next = TagEnd(text, at);
      if (next && --depth == 0) return next;
    } else {
      next = TagEnd(text, at);
      const bool empty = next && text[*next - 2] == '/';
      if (next && !empty) ++depth;
      if (next && depth == 0) return next;
    }
    if (!next) return std::nullopt;
    at = *next;
  }
}

// Just past the end of the markup construct at `from` ("<" there), or none when the text ends
// first.
std::optional<std::size_t> ConstructEnd(std::string_view text, std::size_t from) {
  const std::string_view rest = text.substr(from);
  if (rest.starts_with("<!--")) return PastClose(text, from + 4, "-->");
  if (rest.starts_with("<![CDATA[")) return PastClose(text, from + 9, "]]>");
  if (rest.starts_with("<?")) return PastClose(text, from + 2, "?>");
  return TagEnd(text, from);
}

// Whether `c`, just after "<", may begin markup: a name (ASCII or not), an end tag, "!" or "?".
bool MayFollowOpen(char c) {
  const auto u = static_cast<unsigned char>(c);
  return std::isalpha(u) || u >= 0x80 || c == '_' || c == ':' || c == '/' || c == '!' || c == '?';
}

// Where `node`'s name lies in the parsed text.
std::size_t OffsetOf(pugi::xml_node node, const char* parsed) {
  return static_cast<std::size_t>(node.name() - parsed);
}

// The root element when everything before it is what a history's beginning may hold.
pugi::xml_node LogRoot(const pugi::xml_document& document) {
  for (pugi::xml_node node : document.children()) {
    switch (node.type()) {
      case pugi::node_declaration:
      case pugi::node_pi:
      case pugi::node_comment:
        break;
      case pugi::node_pcdata:
        if (!std::all_of(node.value(), node.value() + std::strlen(node.value()), IsWhiteSpace)) {
          return {};
        }
        break;
      case pugi::node_element:
        return std::strcmp(node.name(), "Log") == 0 ? node : pugi::xml_node{};
      default:
        return {};
    }
  }
  return {};
}

// The last element under the root: the entry the parser began last.
pugi::xml_node LastEntry(pugi::xml_node log) {
  pugi::xml_node last = log.last_child();
  while (last && last.type() != pugi::node_element) last = last.previous_sibling();
  return last;
}

void RemoveAfter(pugi::xml_node parent, pugi::xml_node last) {
  pugi::xml_node next = last ? last.next_sibling() : parent.first_child();
  while (next) {
    const pugi::xml_node after = next.next_sibling();
    parent.remove_child(next);
    next = after;
  }
}

}  // namespace

std::optional<std::size_t> RescueReadsFrom(const pugi::xml_document& document, const char* parsed) {
  const pugi::xml_node log = LogRoot(document);
  if (!log) return std::nullopt;
  const pugi::xml_node last = LastEntry(log);
  return OffsetOf(last ? last : log, parsed) - 1;
}

bool MayBreakOff(std::string_view text, bool holdsNul) {
  if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
  if (!text.starts_with("<?xml")) return false;
  if (holdsNul) return true;
  while (!text.empty() && IsWhiteSpace(text.back())) text.remove_suffix(1);
  return !text.ends_with(kLogEnd);
}

std::size_t BreakAt(const pugi::xml_document& document, std::string_view text, const char* parsed,
                    std::size_t faultAt) {
  if (faultAt + 1 >= text.size()) return text.size();
  // The walk starts where the parser saw the last entry (or the root) begin: no comment or
  // CDATA is open there, so every "<" met is markup.
  std::size_t at = faultAt;
  if (const std::optional<std::size_t> from = RescueReadsFrom(document, parsed)) at = *from;
  while (at < text.size()) {
    if (text[at] != '<') {
      // Text, or a reference: it runs to the end, or on past the fault into markup.
      const std::size_t next = text.find('<', at);
      if (next == std::string_view::npos) return text.size();
      if (next > faultAt) return faultAt;
      at = next;
      continue;
    }
    if (at + 1 < text.size() && !MayFollowOpen(text[at + 1])) return faultAt;
    const std::optional<std::size_t> end = ConstructEnd(text, at);
    if (!end) return text.size();
    if (*end > faultAt) return faultAt;
    at = *end;
  }
  return text.size();
}

Reason KeepWholeEntries(pugi::xml_document& document, std::string_view original, const char* parsed,
                        std::size_t breakAt) {
  const std::string_view before = original.substr(0, breakAt);
  const pugi::xml_node log = LogRoot(document);
  if (!log) return {};
  // Every entry but the last was closed before the parser went on to the next one, and the
  // Log start tag before the first.
  pugi::xml_node last = LastEntry(log);
  if (!last && !TagEnd(before, OffsetOf(log, parsed) - 1)) return {};
  const bool cut = last && !ElementEnd(before, OffsetOf(last, parsed) - 1);
  if (cut) {
    do {
      last = last.previous_sibling();
    } while (last && last.type() != pugi::node_element);
  }
  RemoveAfter(log, last);
  RemoveAfter(document, log);
  return {.kind = cut ? ReasonKind::BrokenOffInEntry : ReasonKind::BrokenOffBetweenEntries,
          .offset = breakAt};
}

}  // namespace palvarin
