#pragma once

#include "history/log_document.hpp"
#include "merge/archive_rule.hpp"
#include "merge/entry_list.hpp"
#include "merge/entry_sink.hpp"
#include "merge/merge_counts.hpp"

namespace palvarin {

// Where a merge writes, which entries it leaves out, and what it tallies.
struct MergeOutput {
  EntrySink& sink;
  const ArchiveRule& archive;
  const EntryList& first;
  const EntryList& second;
  MergeCounts& counts;
};

// Merges the entries of two roots' child-node lists into `sink`, numbering the output
// sessions 1, 2, 3, ... without gaps. The interleaving walk decides, unless it would write an
// entry more often than an input holds it: then the entries are aligned by identity
// (AlignEntryLists). Fills `counts`; returns the last session number written, 0 when nothing
// was written.
int MergeEntryLists(EntrySink& sink, const NodeList& list1, const NodeList& list2,
                    const ArchiveRule& archive, MergeCounts& counts);
// The same over entry lists read beforehand, which lets each input's be read on its own thread.
int MergeEntryLists(EntrySink& sink, const EntryList& first, const EntryList& second,
                    const ArchiveRule& archive, MergeCounts& counts);
// The same into records, without a copy of them.
int MergeEntryLists(RecordingSink& sink, const EntryList& first, const EntryList& second,
                    const ArchiveRule& archive, MergeCounts& counts);

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
bool AppendEntry(MergeOutput& output, const EntryList& list, int index, EntrySource source,
                 int session);

}  // namespace palvarin
