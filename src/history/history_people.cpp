#include "history/history_people.hpp"

#include <cstring>
#include <set>
#include <string_view>
#include <utility>

#include "history/xml_inline.hpp"

namespace palvarin {

std::vector<HistoryPerson> ReadHistoryPeople(pugi::xml_node root) {
  std::vector<HistoryPerson> people;
  std::set<std::pair<std::string_view, std::string_view>> seen;
  std::pair<std::string_view, std::string_view> last;  // most entries name whom the last did
  const auto add = [&](pugi::xml_node user) {
    const std::pair<std::string_view, std::string_view> person{
        user.attribute("FriendlyName").value(), user.attribute("LogonName").value()};
    if (person == last || (person.first.empty() && person.second.empty())) return;
    last = person;
    if (seen.insert(person).second) {
      people.push_back({std::string(person.first), std::string(person.second)});
    }
  };
  for (pugi::xml_node entry = root.last_child(); entry; entry = entry.previous_sibling()) {
    if (entry.type() != pugi::node_element) continue;
    // A "User" of the entry itself (who joined or left), or below its "From" and "To"; never
    // the text's, which may be long. The walk below those has no recursion, as the depth is
    // the file's to choose.
    for (pugi::xml_node part = entry.first_child(); part; part = part.next_sibling()) {
      if (part.type() != pugi::node_element) continue;
      if (std::strcmp(part.name(), "User") == 0) {
        add(part);
        continue;
      }
      if (std::strcmp(part.name(), "From") != 0 && std::strcmp(part.name(), "To") != 0) continue;
      TreeWalk walk(part);
      while (walk.Next()) {
        const pugi::xml_node node = walk.Node();
        if (node.type() == pugi::node_element && std::strcmp(node.name(), "User") == 0) add(node);
      }
    }
  }
  return people;
}

}  // namespace palvarin
