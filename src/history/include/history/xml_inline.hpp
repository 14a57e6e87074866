#pragma once

#include <bit>
#include <cstddef>
#include <pugixml.hpp>
#include <type_traits>

namespace palvarin {

// pugixml's accessors are calls into the library, even a handle's test for emptiness. These
// run for every node of every history read, so the simplest ones are done here inline.

// pugixml's handles hold one pointer.
static_assert(std::is_trivially_copyable_v<pugi::xml_node> &&
              sizeof(pugi::xml_node) == sizeof(void*));
static_assert(std::is_trivially_copyable_v<pugi::xml_attribute> &&
              sizeof(pugi::xml_attribute) == sizeof(void*));

inline bool Exists(pugi::xml_node node) { return std::bit_cast<const void*>(node) != nullptr; }
inline bool Exists(pugi::xml_attribute attribute) {
  return std::bit_cast<const void*>(attribute) != nullptr;
}

// Whether two handles are one node.
inline bool Same(pugi::xml_node a, pugi::xml_node b) {
  return std::bit_cast<const void*>(a) == std::bit_cast<const void*>(b);
}

// The empty handles, without the library's constructors.
inline pugi::xml_node NoNode() {
  return std::bit_cast<pugi::xml_node>(static_cast<const void*>(nullptr));
}
inline pugi::xml_attribute NoAttribute() {
  return std::bit_cast<pugi::xml_attribute>(static_cast<const void*>(nullptr));
}

// `name` is exactly `wanted`, compared inline; stops at the first difference, so it never
// reads past the end of a shorter name.
template <std::size_t N>
bool NameIs(const char* name, const char (&wanted)[N]) {
  for (std::size_t i = 0; i < N; ++i) {
    if (name[i] != wanted[i]) return false;
  }
  return true;
}

// The first attribute of `node` named `name`, or none: xml_node::attribute without a call to
// strcmp per attribute.
template <std::size_t N>
pugi::xml_attribute AttributeNamed(pugi::xml_node node, const char (&name)[N]) {
  for (pugi::xml_attribute at = node.first_attribute(); Exists(at); at = at.next_attribute()) {
    if (NameIs(at.name(), name)) return at;
  }
  return NoAttribute();
}

// A pre-order walk of the nodes below a top node. Each link is asked once, the depth says
// where the top is, and the nodes on the way down are kept so that going back up asks for no
// parents (but below kKept levels, which histories do not reach).
class TreeWalk {
 public:
  explicit TreeWalk(pugi::xml_node top) : at_(top) {}

  pugi::xml_node Node() const { return at_; }
  // Levels below the top.
  int Depth() const { return depth_; }

  // Moves to the next node; false once the walk is back at its top.
  bool Next() {
    if (const pugi::xml_node child = at_.first_child(); Exists(child)) {
      if (depth_ < kKept) path_[depth_] = std::bit_cast<const void*>(at_);
      ++depth_;
      at_ = child;
      return true;
    }
    while (depth_ > 0) {
      if (const pugi::xml_node next = at_.next_sibling(); Exists(next)) {
        at_ = next;
        return true;
      }
      --depth_;
      at_ = depth_ < kKept ? std::bit_cast<pugi::xml_node>(path_[depth_]) : at_.parent();
    }
    return false;
  }

 private:
  static constexpr int kKept = 16;
  pugi::xml_node at_;
  int depth_ = 0;
  const void* path_[kKept];  // as handles, which the library would construct one by one
};

}  // namespace palvarin
