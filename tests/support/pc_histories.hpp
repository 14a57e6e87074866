#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace palvarin::test {

// How the copies of one conversation history held on several PCs differ.
enum class Difference {
  kNone,          // every PC holds every session whole
  kLateJoin,      // a PC misses the first messages of a session
  kEarlyLeave,    // a PC misses the last messages of a session
  kMissed,        // a PC misses one message in the middle
  kReopened,      // a PC closed the window and opened it again: two sessions for one
  kEqualSeconds,  // messages of one second, one of them missed on a PC
  kUntimed,       // some entries carry no time at all
  kRegional,      // "Date" day first and no "DateTime", on every PC alike
  kOwnSessions,   // sessions that only one PC holds
  kAll,           // all of the above at once
};

// The differences above one by one, then all together, for tables of cases.
std::vector<Difference> EveryDifference();
const char* DifferenceName(Difference difference);

// The history files of one contact as `pcs` PCs hold them, drawn from `seed`: each its own
// session numbers, messages of their own texts, shared sessions where the PCs differ as
// `difference` says. The same seed gives the same files.
std::vector<std::string> MakePcHistories(std::uint32_t seed, int pcs, Difference difference,
                                         int sessions = 12);

}  // namespace palvarin::test
