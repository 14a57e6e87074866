#include "merge/entry_identity.hpp"

#include <xxhash.h>

#include <algorithm>
#include <array>
#include <cstring>

#include "history/log_document.hpp"

namespace palvarin {
namespace {

bool IsNamed(pugi::xml_node node, const char* name) { return std::strcmp(node.name(), name) == 0; }

// The "FriendlyName" of the single "User" inside a party element.
pugi::xml_attribute PartyName(pugi::xml_node party) {
  return FindAttribute(FindUniqueElement(party, "User"), "FriendlyName");
}

// The next node of a pre-order walk below `top`, with the change of depth it takes.
pugi::xml_node NextInTree(pugi::xml_node node, pugi::xml_node top, int& depth) {
  if (node.first_child()) {
    ++depth;
    return node.first_child();
  }
  while (node != top) {
    if (node.next_sibling()) return node.next_sibling();
    node = node.parent();
    --depth;
  }
  return {};
}

}  // namespace

EntryIdentity IdentityDigest::Of(const TimedEntry& entry) {
  bytes_.clear();
  if (!AddRuleItems(entry)) {
    // The rule cannot judge this entry: only an identical copy is the same.
    bytes_.clear();
    bytes_ += 'W';
    AddWholeTree(entry.entry.node);
  }
  const XXH128_hash_t digest = XXH3_128bits(bytes_.data(), bytes_.size());
  return {digest.low64, digest.high64};
}

bool IdentityDigest::AddRuleItems(const TimedEntry& entry) {
  const pugi::xml_node node = entry.entry.node;
  const bool message = IsNamed(node, "Message");
  if (!message && !IsNamed(node, "Invitation") && !IsNamed(node, "InvitationResponse")) {
    return false;
  }
  const pugi::xml_attribute stamp = FindAttribute(node, "DateTime");
  if (!entry.time || !stamp) return false;
  bytes_ += 'R';
  Add(node.name());
  AddNumber(*entry.time);
  Add(stamp.value());
  if (!message) return true;
  static constexpr std::array<const char*, 3> kNames = {"From", "To", "Text"};
  std::array<pugi::xml_node, 3> parts;
  FindUniqueElements(node, kNames, parts);
  const pugi::xml_attribute from = PartyName(parts[0]);
  const pugi::xml_attribute to = PartyName(parts[1]);
  const pugi::xml_attribute style = FindAttribute(parts[2], "Style");
  if (!from || !to || !parts[2] || !style) return false;
  Add(from.value());
  Add(to.value());
  AddElementText(parts[2]);
  Add(style.value());
  return true;
}

void IdentityDigest::AddWholeTree(pugi::xml_node entry) {
  int depth = 0;
  for (pugi::xml_node at = entry; at; at = NextInTree(at, entry, depth)) {
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
  // Streamed in and its length filled in afterwards: no copy of the text.
  const std::size_t lengthAt = bytes_.size();
  AddNumber(0);
  const std::size_t start = bytes_.size();
  int depth = 0;
  for (pugi::xml_node at = element; at; at = NextInTree(at, element, depth)) {
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
