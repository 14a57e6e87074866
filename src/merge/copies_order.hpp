#pragma once

#include <optional>
#include <span>
#include <vector>

#include "merge/entry_list.hpp"
#include "merge/entry_sink.hpp"

namespace palvarin {

// The merged entries in an order that keeps each copy's: every two entries one after the other
// in a copy (its k-th copy of an entry being the k-th of the merge) stay in that order, each
// session of the merge whole, and otherwise the entries stand where the merge put them, so
// that a merge that keeps every copy's order already is left as it is. Where the copies'
// orders run in a circle (they contradict one another, or only a split session would keep
// them), the entries or sessions on the circle stay together in the merge's order.
// Sessions are renumbered with the values they had, in their new order. Nothing when every
// copy's order is kept already. `merged` was written by a merge of `list1` and `list2`.
std::optional<std::vector<MergedEntry>> KeepCopiesOrder(const std::vector<MergedEntry>& merged,
                                                        const EntryList& list1,
                                                        const EntryList& list2,
                                                        std::span<const EntryList* const> copies);

}  // namespace palvarin
