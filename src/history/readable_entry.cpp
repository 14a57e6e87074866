#include "history/readable_entry.hpp"

#include <cstring>

#include "history/log_document.hpp"
#include "history/xml_inline.hpp"

namespace palvarin {
namespace {

std::optional<std::string_view> ValueOf(pugi::xml_attribute attribute) {
  if (!attribute) return std::nullopt;
  return std::string_view(attribute.value());
}

// The "FriendlyName" of every "User" element below `people`, in document order; a walk
// without recursion, as the depth is the file's to choose.
void CollectUsers(pugi::xml_node people, std::vector<std::string_view>& names) {
  TreeWalk walk(people);
  while (walk.Next()) {
    const pugi::xml_node node = walk.Node();
    if (node.type() == pugi::node_element && std::strcmp(node.name(), "User") == 0) {
      names.emplace_back(node.attribute("FriendlyName").value());
    }
  }
}

}  // namespace

ReadableEntry ReadReadableEntry(LogEntry entry, bool withText) {
  ReadableEntry readable;
  readable.kind = entry.node.name();
  readable.session = ReadSessionId(entry);
  readable.date = ValueOf(FindAttribute(entry.node, "Date"));
  readable.clock = ValueOf(FindAttribute(entry.node, "Time"));
  readable.dateTime = ValueOf(FindAttribute(entry.node, "DateTime"));
  // The same "From", "To" and "Text" the merge compares: each only when the entry has one.
  const char* const names[] = {"From", "To", "Text"};
  pugi::xml_node found[3];
  FindUniqueElements(entry.node, names, found);
  if (found[0]) {
    std::vector<std::string_view> senders;
    CollectUsers(found[0], senders);
    if (!senders.empty()) readable.from = senders.front();
  }
  if (found[1]) CollectUsers(found[1], readable.to);
  if (found[2] && withText) {
    readable.text = ElementText(found[2]);
    readable.style = ValueOf(FindAttribute(found[2], "Style"));
  }
  return readable;
}

}  // namespace palvarin
