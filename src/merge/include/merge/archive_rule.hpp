#pragma once

#include <optional>
#include <vector>

#include "history/entry_identity.hpp"
#include "merge/entry_list.hpp"
#include "time/time_value.hpp"

namespace palvarin {

// Which entries the merge leaves out as archived away on the other side. An entry met on one
// side only goes when it is older than the pair's last merge, both files held it after that
// merge (it is among the identities recorded then), and the other input holds it nowhere: the
// other side deleted it since. Anything else is kept, so a pair without a record, or with a
// time but no identities, loses nothing.
class ArchiveRule {
 public:
  // Leaves out nothing.
  ArchiveRule() = default;
  // The last merge's time and the identities both files held after it, in any order.
  ArchiveRule(TimeValue lastMerge, std::vector<EntryIdentity> heldByBoth);

  // True when the entry at `index` of `own`, met there only, with `time`, is to be left out.
  bool LeavesOut(const EntryList& own, int index, std::optional<TimeValue> time,
                 const EntryList& other) const;

 private:
  TimeValue lastMerge_ = 0;
  std::vector<EntryIdentity> heldByBoth_;  // sorted
};

}  // namespace palvarin
