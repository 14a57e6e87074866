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
  const std::string stamp = FormatStamp(std::time(nullptr));
  return store.WriteMergeRecord(MergeTimeKey(pathA, pathB), stamp, heldByBoth);
}

std::optional<std::vector<EntryIdentity>> ReadMergeIdentities(ProfileStore& store,
                                                              const std::string& pathA,
                                                              const std::string& pathB,
                                                              const MergeTimeRecord& record) {
  return store.ReadMergeIdentities(MergeTimeKey(pathA, pathB), record.stamp);
}

}  // namespace palvarin
