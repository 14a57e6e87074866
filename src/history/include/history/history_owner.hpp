#pragma once

#include <optional>
#include <pugixml.hpp>
#include <set>
#include <string>

namespace palvarin {

// The user whose histories these are: Messenger writes one history per contact for the user
// signed in, who sends or receives in every conversation of every one of them. A history's
// names are its senders' and recipients' "FriendlyName"s; the owner is the one name found in
// every session of every history added. Two names in each (a single history of two people)
// or none (the user changed the display name) leave the owner unknown: the rule never guesses.
class HistoryOwner {
 public:
  // Adds the history whose document root is `root`; one without an entry tells nothing.
  void AddHistory(pugi::xml_node root);
  // The owner; none when no name, or more than one, takes part in every session seen.
  std::optional<std::string> Owner() const;

 private:
  std::optional<std::set<std::string>> everywhere_;  // none until a session is seen
};

// The owner of one history alone.
std::optional<std::string> FindHistoryOwner(pugi::xml_node root);

}  // namespace palvarin
