#pragma once

#include <span>
#include <vector>

#include "merge/entry_list.hpp"
#include "time/time_value.hpp"

namespace palvarin {

// One message that two PCs signed in at once both logged, each with its own clock: input 1's
// entry at `index1`, input 2's at `index2`, and how far input 2's clock ran ahead (whole
// seconds, for placing input 2's other entries of that session among input 1's).
struct EchoPair {
  int index1 = -1;
  int index2 = -1;
  TimeValue shift = 0;
};

// How far apart two PCs' stamps of one message may be: a clock set by hand is off by minutes
// at most; beyond this a conversation that really happened again is the likelier reading.
constexpr std::int64_t kEchoMaxOffsetMs = 10 * 60 * 1000;
// How far each copy may stray from its session's offset: the network's delay between the PCs.
constexpr std::int64_t kEchoJitterMs = 2000;

// The echoes between sessions of `first` and `second`, in order of input 1. Only entries at
// `lone1` and `lone2` are looked at (positions in list order): those the other list does not
// hold as they are, or holds fewer times. Two sessions are paired only when their entries hold
// the same contents at one offset (each within the jitter): at least 3 pairs and two thirds of
// the shorter run's entries looked at within the time both runs cover; or, at an offset of the
// nearest such clear match, two thirds of what lies in that time. With none anywhere: runs that
// agree on one offset together (at least 3 pairs, two texts said once, or each all of its
// shorter run), then a run in step in the time both cover, or one of two entries inside the
// other's. Texts each side holds once (no short reply) pair with less: inside a match, at an
// offset a match showed, two at one offset, one in step, or a session of one or two. A session
// paired once is paired again only at the same offset, with one not paired yet, or by texts
// said once. Nothing unclear is paired.
std::vector<EchoPair> FindEchoes(const EntryList& first, const EntryList& second,
                                 std::span<const int> lone1, std::span<const int> lone2);

}  // namespace palvarin
