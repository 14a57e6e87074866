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
  for (pugi::xml_node entry = root.last_child(); entry; entry = entry.previous_sibling()) {
    if (entry.type() != pugi::node_element) continue;
    // Without recursion, as the depth is the file's to choose.
    TreeWalk walk(entry);
    while (walk.Next()) {
      const pugi::xml_node node = walk.Node();
      if (node.type() != pugi::node_element || std::strcmp(node.name(), "User") != 0) continue;
      const std::string_view name = node.attribute("FriendlyName").value();
      const std::string_view address = node.attribute("LogonName").value();
      if ((!name.empty() || !address.empty()) && seen.emplace(name, address).second) {
        people.push_back({std::string(name), std::string(address)});
      }
    }
  }
  return people;
}

}  // namespace palvarin
