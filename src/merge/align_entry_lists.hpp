#pragma once

#include "entry_walk.hpp"

namespace palvarin {

// Merges two entry lists by identity, so that no entry is written more often than an input
// holds it. Each entry both inputs hold is paired with one copy on the other side; sessions
// joined by pairs, and any sessions between them, become one output session. Inside it the
// pairs that keep both inputs' order are written once where they stand; the entries between
// them go in time order (input 2 first on a tie), an entry without a time right after the
// entry before it in its own input. Sessions that share nothing go whole, in time order,
// between the shared ones. Each input's order and sessions are kept. With kFind, the echoes
// among the entries left on one side (FindEchoes) are paired as if they were the same, input
// 2's others of their sessions placed on input 1's clock. Fills the counts; returns the last
// session number written.
int AlignEntryLists(MergeOutput& output, EchoSearch echoes);

}  // namespace palvarin
