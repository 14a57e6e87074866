#include "merge/archive_rule.hpp"

#include <algorithm>

namespace palvarin {

ArchiveRule::ArchiveRule(TimeValue lastMerge, std::vector<EntryIdentity> heldByBoth)
    : lastMerge_(lastMerge), heldByBoth_(std::move(heldByBoth)) {
  std::sort(heldByBoth_.begin(), heldByBoth_.end());
}

bool ArchiveRule::LeavesOut(const EntryList& own, int index, std::optional<TimeValue> time,
                            const EntryList& other) const {
  // An entry without a time cannot be judged older than anything.
  if (!time || *time >= lastMerge_ || heldByBoth_.empty()) return false;
  const EntryIdentity& identity = own.Identity(index);
  return std::binary_search(heldByBoth_.begin(), heldByBoth_.end(), identity) &&
         !other.Holds(identity);
}

}  // namespace palvarin
