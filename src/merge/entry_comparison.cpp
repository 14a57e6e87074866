#include "merge/entry_comparison.hpp"

#include <array>
#include <cstring>

#include "history/entry_time.hpp"
#include "history/log_document.hpp"
#include "same_apart_from_session.hpp"

namespace palvarin {
namespace {

bool IsNamed(pugi::xml_node node, const char* name) { return std::strcmp(node.name(), name) == 0; }

// Both attributes present and equal.
bool SameValue(pugi::xml_attribute a, pugi::xml_attribute b) {
  return a && b && std::strcmp(a.value(), b.value()) == 0;
}

// The "FriendlyName" of the single "User" inside a party element (the single "From" or "To").
pugi::xml_attribute PartyName(pugi::xml_node party) {
  return FindAttribute(FindUniqueElement(party, "User"), "FriendlyName");
}

// The single "From", "To" and "Text" of a message, found in one walk.
struct MessageParts {
  std::array<pugi::xml_node, 3> found;
  explicit MessageParts(pugi::xml_node entry) {
    static constexpr std::array<const char*, 3> kNames = {"From", "To", "Text"};
    FindUniqueElements(entry, kNames, found);
  }
  pugi::xml_node From() const { return found[0]; }
  pugi::xml_node To() const { return found[1]; }
  pugi::xml_node Text() const { return found[2]; }
};

bool SameTextAndStyle(pugi::xml_node textA, pugi::xml_node textB) {
  return textA && textB && SameElementText(textA, textB) &&
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
  if (!SameTimeAndStamp(a, b)) return false;
  const MessageParts partsA(a.entry.node);
  const MessageParts partsB(b.entry.node);
  return SameValue(PartyName(partsA.From()), PartyName(partsB.From())) &&
         SameValue(PartyName(partsA.To()), PartyName(partsB.To())) &&
         SameTextAndStyle(partsA.Text(), partsB.Text());
}

bool SameInvitation(const TimedEntry& a, const TimedEntry& b) { return SameTimeAndStamp(a, b); }

bool IsEarlierEntry(const TimedEntry& a, const TimedEntry& b) {
  return a.time && b.time && *a.time < *b.time;
}

bool IsEarlierEntry(LogEntry a, LogEntry b) { return IsEarlierEntry(WithTime(a), WithTime(b)); }

}  // namespace palvarin
