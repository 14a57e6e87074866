#pragma once

#include <vector>

#include "merge/entry_list.hpp"
#include "merge/entry_sink.hpp"

namespace palvarin::bench {

// How one merge's output stands against its two inputs, entries told apart by identity.
struct MergeScore {
  int held = 0;               // entries the inputs hold: of each identity, the larger count
  int writtenTwice = 0;       // entries written more often than either input holds them
  int lost = 0;               // copies written fewer times than an input holds them
  int inputSessions = 0;      // session runs of both inputs
  int sessionsSplit = 0;      // of those, runs whose entries land in more than one output session
  int pairsWritingTwice = 0;  // 1 when some entry was written more often than held

  MergeScore& operator+=(const MergeScore& other);
};

// Scores `written`, the output of a merge of `first` and `second`. The k-th copy of an identity
// in an input is taken to be the k-th copy in the output.
MergeScore ScoreMerge(const std::vector<MergedEntry>& written, const EntryList& first,
                      const EntryList& second);

}  // namespace palvarin::bench
