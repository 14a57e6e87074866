#pragma once

#include <optional>

#include "history/log_entry.hpp"
#include "time/time_value.hpp"

namespace palvarin {

// An entry together with its EntryTime, worked out once by whoever holds the entry.
struct TimedEntry {
  LogEntry entry;
  std::optional<TimeValue> time;
};

// The entry with its time.
TimedEntry WithTime(LogEntry entry);

// Same entry: the same name, and either identical apart from "SessionID" or judged the same
// by SameMessage ("Message") or SameInvitation ("Invitation", "InvitationResponse").
bool IsSameEntry(const TimedEntry& a, const TimedEntry& b);
// The same, working out both times.
bool IsSameEntry(LogEntry a, LogEntry b);

// Two messages with equal time, "DateTime", sender and recipient name, text and text style,
// every one of them present on both sides.
bool SameMessage(const TimedEntry& a, const TimedEntry& b);

// Two invitations (or responses) with equal time and "DateTime", both present on both sides.
bool SameInvitation(const TimedEntry& a, const TimedEntry& b);

// Strictly earlier; false when either time is missing.
bool IsEarlierEntry(const TimedEntry& a, const TimedEntry& b);
// The same, working out both times.
bool IsEarlierEntry(LogEntry a, LogEntry b);

}  // namespace palvarin
