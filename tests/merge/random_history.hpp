#pragma once

#include <cstdint>
#include <string>

#include "time/time_value.hpp"

namespace palvarin::test {

// Two histories of one conversation as two PCs might hold them: a shared past with entries
// archived away on either side, entries and sessions of their own, their own session numbers,
// and every kind of entry the merge distinguishes (complete, partial and group messages,
// invitations, other kinds, day-first dates, no time at all).
struct RandomHistoryPair {
  std::string log1;
  std::string log2;
  TimeValue cutoff = 0;  // 0 or a moment inside the histories, local time
};

// The pair drawn from `seed`; the same seed gives the same pair.
RandomHistoryPair MakeRandomHistoryPair(std::uint32_t seed);

}  // namespace palvarin::test
