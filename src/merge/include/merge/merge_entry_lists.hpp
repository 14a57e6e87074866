#pragma once

#include "history/log_document.hpp"
#include "merge/archive_rule.hpp"
#include "merge/entry_list.hpp"
#include "merge/entry_sink.hpp"
#include "merge/merge_counts.hpp"

namespace palvarin {

// Whether a merge looks for the copies that two PCs signed in at once logged of one
// conversation, each on its own clock, to write them once (FindEchoes), or keeps both.
enum class EchoSearch { kFind, kKeepBoth };

// Merges the entries of two roots' child-node lists into `sink`, numbering the output
// sessions 1, 2, 3, ... without gaps. The interleaving walk decides, unless it would write an
// entry more often than an input holds it: then the entries are aligned by identity
// (AlignEntryLists); so it is too where `echoes` finds echoes, each pair written once as an
// entry both inputs hold. Fills `counts`; returns the last session number written, 0 when nothing
// was written.
int MergeEntryLists(EntrySink& sink, const NodeList& list1, const NodeList& list2,
                    const ArchiveRule& archive, MergeCounts& counts,
                    EchoSearch echoes = EchoSearch::kFind);
// The same over entry lists read beforehand, which lets each input's be read on its own thread.
int MergeEntryLists(EntrySink& sink, const EntryList& first, const EntryList& second,
                    const ArchiveRule& archive, MergeCounts& counts,
                    EchoSearch echoes = EchoSearch::kFind);
// The same into records, without a copy of them.
int MergeEntryLists(RecordingSink& sink, const EntryList& first, const EntryList& second,
                    const ArchiveRule& archive, MergeCounts& counts,
                    EchoSearch echoes = EchoSearch::kFind);

}  // namespace palvarin
