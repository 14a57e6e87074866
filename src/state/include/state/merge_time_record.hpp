#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "history/entry_identity.hpp"
#include "state/profile_store.hpp"
#include "time/time_value.hpp"

namespace palvarin {

// The record name of a pair: the byte-wise greater path, "_", the lesser one.
std::string MergeTimeKey(const std::string& pathA, const std::string& pathB);

// The last successful merge of a pair.
struct MergeTimeRecord {
  TimeValue time = 0;
  std::string stamp;  // as stored: the local time as FormatStamp writes it
  std::string key;    // the record's name
};

// The pair's recorded time; none when absent, not 14 characters long, or not representable.
// Records are named by the pair's paths made absolute (AbsolutePath), however they were given.
// A record written before that, under the paths as typed, is found where one of them was typed
// as it stands, as the path from the working folder, or so after "./", and the other resolves
// from the working folder to the pair's.
std::optional<MergeTimeRecord> ReadMergeTime(ProfileStore& store, const std::string& pathA,
                                             const std::string& pathB);

// Records the current time for the pair with the identities of the entries both files held
// after the merge, all or nothing.
Result<> WriteMergeTime(ProfileStore& store, const std::string& pathA, const std::string& pathB,
                        std::span<const EntryIdentity> heldByBoth);

// One pair's merge to record: when it was, and the entries both files held after it.
struct PairMergeTime {
  const std::string& pathA;
  const std::string& pathB;
  TimeValue time = 0;
  std::span<const EntryIdentity> heldByBoth;
};

// Records many pairs' merges in one transaction, all or nothing, named by their absolute paths.
Result<> WriteMergeTimes(ProfileStore& store, std::span<const PairMergeTime> pairs);

// The identities recorded with exactly `record`'s time; none when its time was written without
// them (by an older version, say).
std::optional<std::vector<EntryIdentity>> ReadMergeIdentities(ProfileStore& store,
                                                              const MergeTimeRecord& record);

}  // namespace palvarin
