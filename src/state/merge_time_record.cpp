#include "state/merge_time_record.hpp"

#include <ctime>
#include <string_view>

#include "time/time_stamp.hpp"

namespace palvarin {
std::string MergeTimeKey(const std::string& pathA, const std::string& pathB) {
  // std::string compares as unsigned bytes, so UTF-8 paths order by code point.
  const bool aFirst = pathA >= pathB;
  return (aFirst ? pathA : pathB) + "_" + (aFirst ? pathB : pathA);
}

std::optional<MergeTimeRecord> ReadMergeTime(ProfileStore& store, const std::string& pathA,
                                             const std::string& pathB) {
  const std::string text =
      store.GetProfileString(kMergeTimeSection, MergeTimeKey(pathA, pathB), "");
  // A record no time can stand for (all zeros, say) is as good as none.
  const std::optional<TimeValue> time = ParseStamp(text);
  if (!time) return std::nullopt;
  return MergeTimeRecord{*time, text};
}

Result<> WriteMergeTime(ProfileStore& store, const std::string& pathA, const std::string& pathB,
                        std::span<const EntryIdentity> heldByBoth) {
  const PairMergeTime pair{pathA, pathB, std::time(nullptr), heldByBoth};
  return WriteMergeTimes(store, {&pair, 1});
}

Result<> WriteMergeTimes(ProfileStore& store, std::span<const PairMergeTime> pairs) {
  std::vector<std::string> keys;
  std::vector<std::string> stamps;
  keys.reserve(pairs.size());
  stamps.reserve(pairs.size());
  std::vector<ProfileStore::MergeRecord> records;
  records.reserve(pairs.size());
  for (const PairMergeTime& pair : pairs) {
    keys.push_back(MergeTimeKey(std::string(pair.pathA), std::string(pair.pathB)));
    stamps.push_back(FormatStamp(pair.time));
    records.push_back({keys.back(), stamps.back(), pair.heldByBoth});
  }
  return store.WriteMergeRecords(records);
}

std::optional<std::vector<EntryIdentity>> ReadMergeIdentities(ProfileStore& store,
                                                              const std::string& pathA,
                                                              const std::string& pathB,
                                                              const MergeTimeRecord& record) {
  return store.ReadMergeIdentities(MergeTimeKey(pathA, pathB), record.stamp);
}

}  // namespace palvarin
