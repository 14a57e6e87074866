#include "entry_identity.hpp"

#include <xxhash.h>

#include <algorithm>
#include <cstring>

#include "history/log_document.hpp"

namespace palvarin {
namespace {

bool IsNamed(pugi::xml_node node, const char* name) { return std::strcmp(node.name(), name) == 0; }

// The next node of a pre-order walk, with the change of depth it takes; none once the walk is
// back at its top, depth 0. Each link is asked once and the depth says where the top is:
// pugixml's accessors are calls, and this runs for every node of every entry.
pugi::xml_node NextInTree(pugi::xml_node node, int& depth) {
  if (const pugi::xml_node child = node.first_child()) {
    ++depth;
    return child;
  }
  while (depth > 0) {
    if (const pugi::xml_node next = node.next_sibling()) return next;
    node = node.parent();
    --depth;
  }
  return {};
}

// The element of one name below a node when there is exactly one; none otherwise.
class UniqueElement {
 public:
  void Meet(pugi::xml_node element) {
    if (met_++ == 0) element_ = element;
  }
  pugi::xml_node Get() const { return met_ == 1 ? element_ : pugi::xml_node(); }

 private:
  pugi::xml_node element_;
  int met_ = 0;
};

// What a message's rule compares, found as FindUniqueElement would find it: the single "From",
// "To" and "Text" below the entry, and the single "User" below each of the two parties.
struct MessageParts {
  pugi::xml_node from, to, text, fromUser, toUser;
};

// One walk of the entry's tree instead of one per name: this runs for every entry of every
// input, most of them messages of a handful of nodes.
MessageParts FindMessageParts(pugi::xml_node entry) {
  UniqueElement from, to, text, fromUser, toUser;
  // The depth of the "From" or "To" being walked through; -1 outside. Where a party is met
  // twice, its users do not matter: the party itself is none.
  int inFrom = -1;
  int inTo = -1;
  int depth = 0;
  for (pugi::xml_node at = NextInTree(entry, depth); at; at = NextInTree(at, depth)) {
    if (depth <= inFrom) inFrom = -1;
    if (depth <= inTo) inTo = -1;
    if (at.type() != pugi::node_element) continue;
    const char* name = at.name();
    if (name[0] == 'U' && std::strcmp(name, "User") == 0) {
      if (inFrom >= 0) fromUser.Meet(at);
      if (inTo >= 0) toUser.Meet(at);
    } else if (name[0] == 'F' && std::strcmp(name, "From") == 0) {
      from.Meet(at);
      inFrom = depth;
    } else if (name[0] == 'T' && std::strcmp(name, "To") == 0) {
      to.Meet(at);
      inTo = depth;
    } else if (name[0] == 'T' && std::strcmp(name, "Text") == 0) {
      text.Meet(at);
    }
  }
  return {from.Get(), to.Get(), text.Get(), fromUser.Get(), toUser.Get()};
}

}  // namespace

EntryIdentity IdentityDigest::Of(const TimedEntry& entry) {
  return Of(entry, FindAttribute(entry.entry.node, "DateTime"));
}

EntryIdentity IdentityDigest::Of(const TimedEntry& entry, pugi::xml_attribute dateTime) {
  bytes_.clear();
  if (!AddRuleItems(entry, dateTime)) {
    // The rule cannot judge this entry: only an identical copy is the same.
    bytes_.clear();
    bytes_ += 'W';
    AddWholeTree(entry.entry.node);
  }
  const XXH128_hash_t digest = XXH3_128bits(bytes_.data(), bytes_.size());
  return {digest.low64, digest.high64};
}

bool IdentityDigest::AddRuleItems(const TimedEntry& entry, pugi::xml_attribute stamp) {
  const pugi::xml_node node = entry.entry.node;
  const bool message = IsNamed(node, "Message");
  if (!message && !IsNamed(node, "Invitation") && !IsNamed(node, "InvitationResponse")) {
    return false;
  }
  if (!entry.time || !stamp) return false;
  bytes_ += 'R';
  Add(node.name());
  AddNumber(*entry.time);
  Add(stamp.value());
  if (!message) return true;
  const MessageParts parts = FindMessageParts(node);
  if (!parts.from || !parts.to) return false;
  const pugi::xml_attribute from = FindAttribute(parts.fromUser, "FriendlyName");
  const pugi::xml_attribute to = FindAttribute(parts.toUser, "FriendlyName");
  const pugi::xml_attribute style = FindAttribute(parts.text, "Style");
  if (!from || !to || !parts.text || !style) return false;
  Add(from.value());
  Add(to.value());
  AddElementText(parts.text);
  Add(style.value());
  return true;
}

void IdentityDigest::AddWholeTree(pugi::xml_node entry) {
  int depth = 0;
  for (pugi::xml_node at = entry; at; at = NextInTree(at, depth)) {
    AddNumber(depth);
    AddNumber(at.type());
    Add(at.name());
    Add(at.value());
    AddAttributes(at, at == entry);
  }
}

void IdentityDigest::AddAttributes(pugi::xml_node element, bool isEntry) {
  attributes_.clear();
  for (pugi::xml_attribute attribute : element.attributes()) {
    if (!isEntry || std::strcmp(attribute.name(), "SessionID") != 0) {
      attributes_.push_back(attribute);
    }
  }
  // Attributes count in any order; names are unique within an element.
  std::sort(attributes_.begin(), attributes_.end(),
            [](pugi::xml_attribute a, pugi::xml_attribute b) {
              return std::strcmp(a.name(), b.name()) < 0;
            });
  AddNumber(static_cast<std::int64_t>(attributes_.size()));
  for (pugi::xml_attribute attribute : attributes_) {
    Add(attribute.name());
    Add(attribute.value());
  }
}

void IdentityDigest::AddElementText(pugi::xml_node element) {
  // Most texts are the element's own value, where the parse keeps a leading text: the same
  // bytes as the walk below would add.
  if (!element.first_child()) return Add(element.value());
  // Streamed in and its length filled in afterwards: no copy of the text.
  const std::size_t lengthAt = bytes_.size();
  AddNumber(0);
  const std::size_t start = bytes_.size();
  int depth = 0;
  for (pugi::xml_node at = element; at; at = NextInTree(at, depth)) {
    const pugi::xml_node_type type = at.type();
    if (type == pugi::node_element || type == pugi::node_pcdata || type == pugi::node_cdata) {
      bytes_.append(at.value());
    }
  }
  const auto length = static_cast<std::int64_t>(bytes_.size() - start);
  std::memcpy(bytes_.data() + lengthAt, &length, sizeof length);
}

void IdentityDigest::Add(std::string_view text) {
  AddNumber(static_cast<std::int64_t>(text.size()));
  bytes_.append(text);
}

void IdentityDigest::AddNumber(std::int64_t number) {
  char raw[sizeof number];
  std::memcpy(raw, &number, sizeof number);
  bytes_.append(raw, sizeof raw);
}

}  // namespace palvarin
