#include "state/merge_time_record.hpp"

#include <ctime>
#include <string_view>

namespace palvarin {
namespace {

constexpr std::size_t kStampLength = 14;

}  // namespace

std::string MergeTimeKey(const std::string& pathA, const std::string& pathB) {
  // std::string compares as unsigned bytes, so UTF-8 paths order by code point.
  const bool aFirst = pathA >= pathB;
  return (aFirst ? pathA : pathB) + "_" + (aFirst ? pathB : pathA);
}

MergeTimeRecord ReadMergeTime(ProfileStore& store, const std::string& pathA,
                              const std::string& pathB) {
  const std::string text =
      store.GetProfileString(kMergeTimeSection, MergeTimeKey(pathA, pathB), "");
  if (text.size() != kStampLength) return {};
  const std::string_view stamp = text;
  try {
    return {true,
            MakeTime(LeadingInteger(stamp.substr(0, 4)), LeadingInteger(stamp.substr(4, 2)),
                     LeadingInteger(stamp.substr(6, 2)), LeadingInteger(stamp.substr(8, 2)),
                     LeadingInteger(stamp.substr(10, 2)), LeadingInteger(stamp.substr(12, 2))),
            text};
  } catch (const InvalidTimeError&) {
    // A record no time can stand for (all zeros, say) is as good as none.
    return {};
  }
}

bool WriteMergeTime(ProfileStore& store, const std::string& pathA, const std::string& pathB,
                    std::span<const EntryIdentity> heldByBoth) {
  const std::string stamp = FormatTime(std::time(nullptr), kStampPattern);
  return store.WriteMergeRecord(MergeTimeKey(pathA, pathB), stamp, heldByBoth);
}

std::optional<std::vector<EntryIdentity>> ReadMergeIdentities(ProfileStore& store,
                                                              const std::string& pathA,
                                                              const std::string& pathB,
                                                              const MergeTimeRecord& record) {
  if (!record.found) return std::nullopt;
  return store.ReadMergeIdentities(MergeTimeKey(pathA, pathB), record.stamp);
}

}  // namespace palvarin
