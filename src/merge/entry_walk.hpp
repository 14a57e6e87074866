#pragma once

#include <vector>

#include "merge/merge_entry_lists.hpp"

namespace palvarin {

// The parts of the interleaving walk, shared with the alignment that takes over from it.

// Where a merge writes, which entries it leaves out, and what it tallies.
struct MergeOutput {
  EntrySink& sink;
  const ArchiveRule& archive;
  const EntryList& first;
  const EntryList& second;
  MergeCounts& counts;
  // Where the entries the archive rule leaves out are noted, when anyone asks.
  std::vector<MergedEntry>* leftOut = nullptr;
};

// The interleaving walk alone: session runs whose first entries are the same are interleaved
// entry by entry, other runs are written whole, the earlier first (input 2's on a tie).
int WalkEntryLists(MergeOutput& output);

// Interleaves two runs whose first entries are the same entry, all under `session`, then
// appends what is left of either run. True if anything was written.
bool MergeMatchingSessions(MergeOutput& output, int& index1, int& index2, int session);

// Appends the session run of `list` starting at `index` under `session`. True if anything
// was written.
bool AppendSessionRun(MergeOutput& output, const EntryList& list, int& index, int session);

// Writes the entry at `index` of `list` under `session` unless it was met on that side only
// and the archive rule leaves it out. True if written.
// `echoIndex` is input 2's copy of an echo written as kBoth.
bool AppendEntry(MergeOutput& output, const EntryList& list, int index, EntrySource source,
                 int session, int echoIndex = -1);

}  // namespace palvarin
