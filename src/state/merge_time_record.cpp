#include "state/merge_time_record.hpp"

#include <ctime>
#include <string_view>
#include <utility>
#include <vector>

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
  // The records view these texts: both are sized once, so that none moves.
  std::vector<std::pair<std::string, std::string>> texts;
  texts.reserve(pairs.size());
  std::vector<ProfileStore::MergeRecord> records;
  records.reserve(pairs.size());
  for (const PairMergeTime& pair : pairs) {
    const auto& [key, stamp] =
        texts.emplace_back(MergeTimeKey(pair.pathA, pair.pathB), FormatStamp(pair.time));
    records.push_back({key, stamp, pair.heldByBoth});
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
