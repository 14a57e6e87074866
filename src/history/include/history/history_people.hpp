#pragma once

#include <pugixml.hpp>
#include <string>
#include <vector>

namespace palvarin {

// Someone a history names: a "User"'s "FriendlyName" and the "LogonName" (the address) given
// with it, either empty when the history gives none.
struct HistoryPerson {
  std::string name, address;

  bool operator==(const HistoryPerson&) const = default;
};

// Every "User" the entries below `root` name (their senders and recipients, who joined or
// left), each name with its address once, the one named last first: a contact's newest display
// name leads.
std::vector<HistoryPerson> ReadHistoryPeople(pugi::xml_node root);

}  // namespace palvarin
