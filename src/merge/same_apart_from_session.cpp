#include "same_apart_from_session.hpp"

#include <algorithm>
#include <cstring>
#include <vector>

namespace palvarin {
namespace {

bool SameText(const char* a, const char* b) { return std::strcmp(a, b) == 0; }

bool SameAttribute(pugi::xml_attribute a, pugi::xml_attribute b) {
  return SameText(a.name(), b.name()) && SameText(a.value(), b.value());
}

// The attributes of an element, the entry's own "SessionID" left out.
std::vector<pugi::xml_attribute> ComparedAttributes(pugi::xml_node element, bool isEntry) {
  std::vector<pugi::xml_attribute> attributes;
  for (pugi::xml_attribute attribute : element.attributes()) {
    if (!isEntry || !SameText(attribute.name(), "SessionID")) attributes.push_back(attribute);
  }
  return attributes;
}

// Equal attribute sets in any order; sorted by name only when the order differs.
bool SameAttributes(pugi::xml_node a, pugi::xml_node b, bool isEntry) {
  auto left = ComparedAttributes(a, isEntry);
  auto right = ComparedAttributes(b, isEntry);
  if (left.size() != right.size()) return false;
  if (std::equal(left.begin(), left.end(), right.begin(), SameAttribute)) return true;
  const auto byName = [](pugi::xml_attribute x, pugi::xml_attribute y) {
    return std::strcmp(x.name(), y.name()) < 0;
  };
  std::sort(left.begin(), left.end(), byName);
  std::sort(right.begin(), right.end(), byName);
  return std::equal(left.begin(), left.end(), right.begin(), SameAttribute);
}

bool SameNode(pugi::xml_node a, pugi::xml_node b, bool isEntry) {
  return a.type() == b.type() && SameText(a.name(), b.name()) && SameText(a.value(), b.value()) &&
         SameAttributes(a, b, isEntry);
}

}  // namespace

bool SameApartFromSession(pugi::xml_node a, pugi::xml_node b) {
  if (!a || !b) return false;
  // Walk both trees in step, pre-order; their shapes must agree at every move.
  pugi::xml_node x = a;
  pugi::xml_node y = b;
  while (true) {
    if (!SameNode(x, y, x == a)) return false;
    if (x.first_child() || y.first_child()) {
      if (!x.first_child() || !y.first_child()) return false;
      x = x.first_child();
      y = y.first_child();
      continue;
    }
    // Climb to the next sibling in both trees at once.
    while (x != a && !x.next_sibling() && !y.next_sibling()) {
      x = x.parent();
      y = y.parent();
    }
    if (x == a) return true;
    if (!x.next_sibling() || !y.next_sibling()) return false;
    x = x.next_sibling();
    y = y.next_sibling();
  }
}

}  // namespace palvarin
