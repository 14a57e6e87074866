#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "merge_time_batch.hpp"
#include "state/merge_time_record.hpp"
#include "state/profile_store.hpp"
#include "support/test_support.hpp"

namespace palvarin {
namespace {

// Pairs from several workers, more than one write's worth and not a whole number of them:
// each pair's time and identities reach the profile, or, when the profile takes nothing,
// each pair says so. Either way no pair keeps its identities.
TEST(MergeTimeBatch, EveryPairIsRecordedOrWarned) {
  for (const ProfileAccess access : {ProfileAccess::ReadWrite, ProfileAccess::ReadOnly}) {
    const bool writable = access == ProfileAccess::ReadWrite;
    SCOPED_TRACE(writable ? "writable profile" : "read-only profile");
    test::TempFolder folder;
    const auto file = folder.Path() / "profile.sqlite3";
    { ProfileStore made(file); }
    ProfileStore profile(file, access);
    std::vector<PairReport> pairs(600);  // two writes of 256 and a part
    for (std::size_t i = 0; i < pairs.size(); ++i) {
      pairs[i].first = "/pc1/contact" + std::to_string(i) + ".xml";
      pairs[i].second = "/pc2/contact" + std::to_string(i) + ".xml";
      pairs[i].heldByBoth = {{i, 1}, {i, 2}};
    }
    MergeTimeBatch batch(profile);
    {
      std::vector<std::jthread> workers;
      for (std::size_t worker = 0; worker < 3; ++worker) {
        workers.emplace_back([&, worker] {
          for (std::size_t i = worker; i < pairs.size(); i += 3) batch.Add(pairs[i]);
        });
      }
    }
    batch.Write();
    for (std::size_t i = 0; i < pairs.size(); ++i) {
      const PairReport& pair = pairs[i];
      EXPECT_TRUE(pair.heldByBoth.empty()) << i;
      EXPECT_EQ(pair.warnings.size(), writable ? 0u : 1u) << i;
      const auto record = ReadMergeTime(profile, pair.first, pair.second);
      ASSERT_EQ(record.has_value(), writable) << i;
      if (!record) continue;
      const auto held = ReadMergeIdentities(profile, *record);
      EXPECT_EQ(held, (std::vector<EntryIdentity>{{i, 1}, {i, 2}})) << i;
    }
  }
}

}  // namespace
}  // namespace palvarin
