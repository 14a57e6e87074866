#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace palvarin::test {

// How the histories of PCs signed in at once differ, beyond each PC's clock and the network's
// delay on every copy.
enum class EchoCase {
  kInStep,          // clocks off by milliseconds to seconds, every PC logs every message
  kDrops,           // PCs sign in late, leave early, miss a message in the middle
  kRepeatedTexts,   // mostly "ok", "lol" and stickers, inside and across sessions
  kDroppedReplies,  // both at once: PCs miss some of the many short replies
  kRealRepeats,     // conversations that really happened again, an hour or a day later
  kWrongClock,      // a PC's clock off by minutes (up to 10)
  kOwnSessions,     // besides, sessions only one PC logged, among the shared ones in time
};

struct EchoHistories {
  std::vector<std::string> files;  // one history per PC
  // Each copy's "DateTime", "From" and text -> the message it is a copy of.
  std::map<std::string, int> messageOf;
};

// The histories (UTC stamps, read with TZ=UTC) of `pcs` PCs signed in at once to one contact,
// drawn from `seed`: each PC its own session numbers and clock, every copy of a message
// identical apart from "Date", "Time", "DateTime" and "SessionID".
EchoHistories MakeEchoHistories(std::uint32_t seed, EchoCase kind, int pcs);

// The key of an entry's XML in EchoHistories::messageOf.
std::string EchoCopyKey(const std::string& dateTime, const std::string& from,
                        const std::string& text);

const char* EchoCaseName(EchoCase kind);

}  // namespace palvarin::test
