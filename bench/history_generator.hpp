#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace palvarin::bench {

// Two PCs' copies of one contact's history, each a whole file in Messenger's byte layout.
struct HistoryPair {
  std::string first;   // PC 1: Japanese regional format ("2008/09/30", "14:15:37")
  std::string second;  // PC 2: US regional format ("9/30/2008", "2:15:37 PM")
};

// A pair whose first file holds at least `targetBytes`: shared sessions, sessions of one PC
// only, single messages of one PC only inside shared sessions, invitations and their answers,
// Japanese and ASCII texts, line breaks as "&#xD;&#xA;". Each entry carries the date and time
// of the PC that wrote it, in that PC's regional format and zone (Asia/Tokyo), and the UTC
// "DateTime". The same seed gives the same bytes.
HistoryPair GenerateHistoryPair(std::size_t targetBytes, std::uint32_t seed);

// A pair holding one session of `entries` entries of the kinds above, written by PC 1, of which
// the first file lacks every `firstLacksEvery`-th and the second every `secondLacksEvery`-th
// (counted from 1; 0: none). A third of the messages share the second of the one before.
HistoryPair GenerateSessionPair(int entries, int firstLacksEvery, int secondLacksEvery,
                                std::uint32_t seed);

}  // namespace palvarin::bench
