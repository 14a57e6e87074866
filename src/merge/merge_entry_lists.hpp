#pragma once

#include "history/log_document.hpp"
#include "history/time_value.hpp"
#include "merge/entry_list.hpp"
#include "merge/entry_sink.hpp"
#include "merge/merge_counts.hpp"

namespace palvarin {

// Where a merge writes, the cut-off it applies, and what it tallies.
struct MergeOutput {
  EntrySink& sink;
  TimeValue cutoff;  // entries met on one side only and strictly older are left out; 0: none
  MergeCounts& counts;
};

// Interleaves the entries of two roots' child-node lists session by session into `sink`,
// numbering the output sessions 1, 2, 3, ... without gaps. Fills `counts`; returns the last
// session number written, 0 when nothing was written.
int MergeEntryLists(EntrySink& sink, const NodeList& list1, const NodeList& list2, TimeValue cutoff,
                    MergeCounts& counts);
// The same over entry lists read beforehand, which lets each input's be read on its own thread.
int MergeEntryLists(EntrySink& sink, const EntryList& first, const EntryList& second,
                    TimeValue cutoff, MergeCounts& counts);

// Interleaves two runs whose first entries are the same entry, all under `session`, then
// appends what is left of either run. True if anything was written.
bool MergeMatchingSessions(MergeOutput& output, const EntryList& list1, const EntryList& list2,
                           int& index1, int& index2, int session);

// Appends the session run starting at `index` under `session`. True if anything was written.
bool AppendSessionRun(MergeOutput& output, const EntryList& list, int& index, int session);

// Writes one entry unless it is met on one side only and is older than the cut-off; an entry
// without a time is always written. True if written.
bool AppendEntry(MergeOutput& output, const TimedEntry& entry, EntrySource source, int session);

}  // namespace palvarin
