#include "state/merge_time_record.hpp"

#include <ctime>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <tuple>
#include <utility>
#include <vector>

#include "files/absolute_path.hpp"
#include "time/time_stamp.hpp"

namespace palvarin {
namespace {

// The name and stamp of a record written under the paths as typed, relative ones among them,
// for the pair of the absolute paths `a` and `b`. Its name begins with the greater path as it
// was typed: each of the two is looked for as a range of names in the ways a path is most
// often typed (which needs no look at the other records), and the rest of a name so found must
// resolve to the other path.
std::optional<std::pair<std::string, std::string>> RecordAsTyped(ProfileStore& store,
                                                                 const std::string& a,
                                                                 const std::string& b) {
  std::error_code error;
  const std::filesystem::path here = std::filesystem::current_path(error);
  if (error) return std::nullopt;
  for (const auto& [one, other] : {std::pair(&a, &b), std::pair(&b, &a)}) {
    const std::string relative = std::filesystem::path(*one).lexically_relative(here).string();
    std::vector<std::string> spellings = {*one + "_"};
    if (!relative.empty()) {
      spellings.insert(spellings.end(), {relative + "_", "./" + relative + "_"});
    }
    for (auto& [name, stamp] : store.ReadProfileStringsStartingWith(kMergeTimeSection, spellings)) {
      for (const std::string& spelling : spellings) {
        if (name.starts_with(spelling) && AbsolutePath(name.substr(spelling.size())) == *other) {
          return std::pair(std::move(name), std::move(stamp));
        }
      }
    }
  }
  return std::nullopt;
}

}  // namespace

std::string MergeTimeKey(const std::string& pathA, const std::string& pathB) {
  // std::string compares as unsigned bytes, so UTF-8 paths order by code point.
  const bool aFirst = pathA >= pathB;
  return (aFirst ? pathA : pathB) + "_" + (aFirst ? pathB : pathA);
}

std::optional<MergeTimeRecord> ReadMergeTime(ProfileStore& store, const std::string& pathA,
                                             const std::string& pathB) {
  const std::string a = AbsolutePath(pathA);
  const std::string b = AbsolutePath(pathB);
  std::string key = MergeTimeKey(a, b);
  std::string text = store.GetProfileString(kMergeTimeSection, key, "");
  if (text.empty()) {
    if (auto typed = RecordAsTyped(store, a, b)) std::tie(key, text) = std::move(*typed);
  }
  // A record no time can stand for (all zeros, say) is as good as none.
  const std::optional<TimeValue> time = ParseStamp(text);
  if (!time) return std::nullopt;
  return MergeTimeRecord{*time, text, key};
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
    const auto& [key, stamp] = texts.emplace_back(
        MergeTimeKey(AbsolutePath(pair.pathA), AbsolutePath(pair.pathB)), FormatStamp(pair.time));
    records.push_back({key, stamp, pair.heldByBoth});
  }
  return store.WriteMergeRecords(records);
}

std::optional<std::vector<EntryIdentity>> ReadMergeIdentities(ProfileStore& store,
                                                              const MergeTimeRecord& record) {
  return store.ReadMergeIdentities(record.key, record.stamp);
}

}  // namespace palvarin
