#pragma once

#include <span>
#include <vector>

#include "merge/entry_list.hpp"
#include "merge/entry_sink.hpp"
#include "merge/merge_counts.hpp"
#include "merge/merge_entry_lists.hpp"

namespace palvarin {

// The copies in an order of their contents alone: by a digest of their entries' identities and
// sessions, then entry by entry by their trees. Of copies alike (the same trees under the same
// sessions) only one is kept: merging it again would change nothing.
std::vector<const EntryList*> CanonicalOrder(std::span<const EntryList* const> copies);

// Merges every copy of one history into `sink`, sessions numbered 1, 2, 3, ...: the copies are
// merged two at a time in CanonicalOrder, so that their order does not matter, the result is
// merged into `existing` (what the output holds already; null when nothing), and that is put
// in an order that keeps every copy's, `existing`'s among them (KeepCopiesOrder). Nothing is
// left out: each entry is written as often as the copy that holds it most often, no session is
// split, and each copy's order is kept wherever the copies' orders do not run in a circle.
// Fills `counts` (fromBoth: entries held by several copies, `existing` among them, twins
// (copies alike, or one list given twice) counted as several; fromInput1: by one only;
// echoes: of those, the copies two PCs logged at once, written once) and
// `alone` (for each of `copies`, the entries it alone holds); returns the last session
// number written. `echoes` says whether what two PCs logged at once is written once, as in
// a merge of two.
int GatherCopies(RecordingSink& sink, std::span<const EntryList* const> copies,
                 const EntryList* existing, MergeCounts& counts, std::vector<int>& alone,
                 EchoSearch echoes = EchoSearch::kFind);

// True when `merged` holds the entries of `existing`, all of them, in its order and under its
// session values: writing it would change nothing that the history says.
bool KeepsExisting(const RecordingSink& merged, const EntryList& existing);

}  // namespace palvarin
