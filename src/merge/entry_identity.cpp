#include "entry_identity.hpp"

// The digest of each entry is a few hundred bytes: a call into the shared library costs a
// good part of hashing them.
#define XXH_INLINE_ALL
#include <xxhash.h>

#include <algorithm>
#include <bit>
#include <cstring>

#include "history/log_document.hpp"
#include "history/xml_inline.hpp"

namespace palvarin {
namespace {

// The element of one name below a node when there is exactly one; none otherwise.
class UniqueElement {
 public:
  void Meet(pugi::xml_node element) {
    if (met_++ == 0) element_ = element;
  }
  pugi::xml_node Get() const { return met_ == 1 ? element_ : NoNode(); }

 private:
  pugi::xml_node element_ = NoNode();
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
  TreeWalk walk(entry);
  while (walk.Next()) {
    const int depth = walk.Depth();
    if (depth <= inFrom) inFrom = -1;
    if (depth <= inTo) inTo = -1;
    const pugi::xml_node at = walk.Node();
    if (at.type() != pugi::node_element) continue;
    const char* name = at.name();
    switch (name[0]) {
      case 'U':
        if (NameIs(name + 1, "ser")) {
          if (inFrom >= 0) fromUser.Meet(at);
          if (inTo >= 0) toUser.Meet(at);
        }
        break;
      case 'F':
        if (NameIs(name + 1, "rom")) {
          from.Meet(at);
          inFrom = depth;
        }
        break;
      case 'T':
        if (NameIs(name + 1, "o")) {
          to.Meet(at);
          inTo = depth;
        } else if (NameIs(name + 1, "ext")) {
          text.Meet(at);
        }
        break;
      default:
        break;
    }
  }
  return {from.Get(), to.Get(), text.Get(), fromUser.Get(), toUser.Get()};
}

bool IsStamp(pugi::xml_attribute attribute) {
  const char* name = attribute.name();
  return NameIs(name, "Date") || NameIs(name, "Time") || NameIs(name, "DateTime");
}

}  // namespace

// The writers are small and called for every item of every entry: inlined, they cost a few
// instructions each instead of a call's saving and restoring.
[[gnu::always_inline]] inline char* IdentityDigest::Room(std::size_t bytes) {
  if (capacity_ - used_ < bytes) Grow(bytes);
  char* at = bytes_.get() + used_;
  used_ += bytes;
  return at;
}

void IdentityDigest::Grow(std::size_t bytes) {
  const std::size_t capacity = std::max({capacity_ * 2, used_ + bytes, std::size_t{1024}});
  auto grown = std::make_unique_for_overwrite<char[]>(capacity);
  if (used_ > 0) std::memcpy(grown.get(), bytes_.get(), used_);
  bytes_ = std::move(grown);
  capacity_ = capacity;
}

[[gnu::always_inline]] inline void IdentityDigest::AddTag(char tag) { *Room(1) = tag; }

[[gnu::always_inline]] inline void IdentityDigest::AddNumber(std::int64_t number) {
  std::memcpy(Room(sizeof number), &number, sizeof number);
}

[[gnu::always_inline]] inline void IdentityDigest::Add(std::string_view text) {
  const auto length = static_cast<std::int64_t>(text.size());
  char* at = Room(sizeof length + text.size());
  std::memcpy(at, &length, sizeof length);
  if (!text.empty()) std::memcpy(at + sizeof length, text.data(), text.size());
}

EntryIdentity IdentityDigest::Of(const TimedEntry& entry) {
  return Of(entry, FindAttribute(entry.entry.node, "DateTime"));
}

EntryIdentity IdentityDigest::Of(const TimedEntry& entry, pugi::xml_attribute dateTime) {
  used_ = 0;
  if (!AddRuleItems(entry, dateTime)) {
    // The rule cannot judge this entry: only an identical copy is the same.
    used_ = 0;
    AddTag('W');
    AddWholeTree(entry.entry.node);
  }
  const XXH128_hash_t digest = XXH3_128bits(bytes_.get(), used_);
  return {digest.low64, digest.high64};
}

EntryIdentity IdentityDigest::ContentOf(pugi::xml_node entry) {
  used_ = 0;
  stampsLeftOut_ = true;
  AddWholeTree(entry);
  stampsLeftOut_ = false;
  const XXH128_hash_t digest = XXH3_128bits(bytes_.get(), used_);
  return {digest.low64, digest.high64};
}

bool IdentityDigest::AddRuleItems(const TimedEntry& entry, pugi::xml_attribute stamp) {
  const pugi::xml_node node = entry.entry.node;
  // The name as a constant once it is known: its length needs no count.
  const char* name = node.name();
  std::string_view kind;
  bool message = false;
  if (NameIs(name, "Message")) {
    kind = "Message";
    message = true;
  } else if (NameIs(name, "Invitation")) {
    kind = "Invitation";
  } else if (NameIs(name, "InvitationResponse")) {
    kind = "InvitationResponse";
  } else {
    return false;
  }
  if (!entry.time || !Exists(stamp)) return false;
  AddTag('R');
  Add(kind);
  AddNumber(*entry.time);
  Add(stamp.value());
  if (!message) return true;
  const MessageParts parts = FindMessageParts(node);
  if (!Exists(parts.from) || !Exists(parts.to) || !Exists(parts.text)) return false;
  // An empty handle has no attributes: a party without its single user fails here.
  const pugi::xml_attribute from = AttributeNamed(parts.fromUser, "FriendlyName");
  if (!Exists(from)) return false;
  const pugi::xml_attribute to = AttributeNamed(parts.toUser, "FriendlyName");
  if (!Exists(to)) return false;
  const pugi::xml_attribute style = AttributeNamed(parts.text, "Style");
  if (!Exists(style)) return false;
  Add(from.value());
  Add(to.value());
  AddElementText(parts.text);
  Add(style.value());
  return true;
}

void IdentityDigest::AddWholeTree(pugi::xml_node entry) {
  TreeWalk walk(entry);
  do {
    const pugi::xml_node at = walk.Node();
    AddNumber(walk.Depth());
    AddNumber(at.type());
    Add(at.name());
    Add(at.value());
    AddAttributes(at, walk.Depth() == 0);
  } while (walk.Next());
}

void IdentityDigest::AddAttributes(pugi::xml_node element, bool isEntry) {
  attributes_.clear();
  for (pugi::xml_attribute attribute : element.attributes()) {
    if (isEntry &&
        (NameIs(attribute.name(), "SessionID") || (stampsLeftOut_ && IsStamp(attribute)))) {
      continue;
    }
    attributes_.push_back(attribute);
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
  if (!Exists(element.first_child())) return Add(element.value());
  // Streamed in and its length filled in afterwards: no copy of the text.
  const std::size_t lengthAt = used_;
  AddNumber(0);
  const std::size_t start = used_;
  TreeWalk walk(element);
  do {
    const pugi::xml_node at = walk.Node();
    const pugi::xml_node_type type = at.type();
    if (type == pugi::node_element || type == pugi::node_pcdata || type == pugi::node_cdata) {
      const std::string_view text = at.value();
      if (!text.empty()) std::memcpy(Room(text.size()), text.data(), text.size());
    }
  } while (walk.Next());
  const auto length = static_cast<std::int64_t>(used_ - start);
  std::memcpy(bytes_.get() + lengthAt, &length, sizeof length);
}

}  // namespace palvarin
