#include "merge/entry_comparison.hpp"

#include <cstring>

#include "history/log_document.hpp"
#include "merge/entry_time.hpp"
#include "merge/same_apart_from_session.hpp"

namespace palvarin {
namespace {

bool IsNamed(pugi::xml_node node, const char* name) { return std::strcmp(node.name(), name) == 0; }

// Both attributes present and equal.
bool SameValue(pugi::xml_attribute a, pugi::xml_attribute b) {
  return a && b && std::strcmp(a.value(), b.value()) == 0;
}

// The "FriendlyName" of the single "User" inside the single `party` element.
pugi::xml_attribute PartyName(pugi::xml_node entry, const char* party) {
  return FindAttribute(FindUniqueElement(FindUniqueElement(entry, party), "User"), "FriendlyName");
}

bool SameParty(pugi::xml_node a, pugi::xml_node b, const char* party) {
  return SameValue(PartyName(a, party), PartyName(b, party));
}

bool SameTextAndStyle(pugi::xml_node a, pugi::xml_node b) {
  pugi::xml_node textA = FindUniqueElement(a, "Text");
  pugi::xml_node textB = FindUniqueElement(b, "Text");
  return textA && textB && ElementText(textA) == ElementText(textB) &&
         SameValue(FindAttribute(textA, "Style"), FindAttribute(textB, "Style"));
}

// The first two checks of both rules: time and "DateTime", present on both sides and equal.
bool SameTimeAndStamp(const TimedEntry& a, const TimedEntry& b) {
  return a.time && b.time && *a.time == *b.time &&
         SameValue(FindAttribute(a.entry.node, "DateTime"),
                   FindAttribute(b.entry.node, "DateTime"));
}

bool SameNamedRule(const TimedEntry& a, const TimedEntry& b) {
  const pugi::xml_node node = a.entry.node;
  if (IsNamed(node, "Message")) return SameMessage(a, b);
  if (IsNamed(node, "Invitation") || IsNamed(node, "InvitationResponse")) {
    return SameInvitation(a, b);
  }
  return false;
}

}  // namespace

TimedEntry WithTime(LogEntry entry) { return {entry, EntryTime(entry)}; }

bool IsSameEntry(const TimedEntry& a, const TimedEntry& b) {
  if (!IsNamed(a.entry.node, b.entry.node.name())) return false;
  // The time depends only on attributes, so entries identical apart from "SessionID" have
  // equal times: unequal ones settle the question before any tree is read.
  if (a.time != b.time) return false;
  return SameNamedRule(a, b) || SameApartFromSession(a.entry.node, b.entry.node);
}

bool IsSameEntry(LogEntry a, LogEntry b) { return IsSameEntry(WithTime(a), WithTime(b)); }

bool SameMessage(const TimedEntry& a, const TimedEntry& b) {
  const pugi::xml_node nodeA = a.entry.node;
  const pugi::xml_node nodeB = b.entry.node;
  return SameTimeAndStamp(a, b) && SameParty(nodeA, nodeB, "From") &&
         SameParty(nodeA, nodeB, "To") && SameTextAndStyle(nodeA, nodeB);
}

bool SameInvitation(const TimedEntry& a, const TimedEntry& b) { return SameTimeAndStamp(a, b); }

bool IsEarlierEntry(const TimedEntry& a, const TimedEntry& b) {
  return a.time && b.time && *a.time < *b.time;
}

bool IsEarlierEntry(LogEntry a, LogEntry b) { return IsEarlierEntry(WithTime(a), WithTime(b)); }

}  // namespace palvarin
