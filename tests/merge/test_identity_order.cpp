#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <utility>
#include <vector>

#include "identity_order.hpp"

namespace palvarin {
namespace {

struct OrderRow {
  const char* name;
  int count;
  int distinct;     // how many different identities are drawn from; 0: each one new
  int leadingBits;  // of `low` left random; the others zero, bunching the identities
};

std::vector<EntryIdentity> Draw(const OrderRow& row, std::mt19937_64& rng) {
  const auto make = [&] {
    std::uint64_t low = rng();
    low = row.leadingBits == 0 ? 0 : low >> (64 - row.leadingBits);
    return EntryIdentity{low, rng()};
  };
  std::vector<EntryIdentity> pool;
  for (int i = 0; i < row.distinct; ++i) pool.push_back(make());
  std::vector<EntryIdentity> identities;
  for (int o = 0; o < row.count; ++o) {
    identities.push_back(row.distinct == 0 ? make() : pool[rng() % pool.size()]);
  }
  return identities;
}

// The bucketed sort against std::sort of the same pairs, on spreads from even to bunched
// into a few buckets, with repeated identities, whose ordinals must stay in order.
TEST(SortedByIdentityTest, GivesWhatStdSortGives) {
  const OrderRow rows[] = {
      {"Empty", 0, 0, 64},
      {"One", 1, 0, 64},
      {"BelowBuckets", 1023, 0, 64},
      {"AtBuckets", 1024, 0, 64},
      {"Even", 50000, 0, 64},
      {"EvenAndLarge", 300000, 0, 64},
      {"RepeatedOften", 40000, 300, 64},
      {"AllTheSame", 5000, 1, 64},
      {"BunchedIntoFewBuckets", 20000, 0, 2},
      {"LowHalfZero", 20000, 0, 0},
      {"BunchedAndRepeated", 20000, 50, 5},
  };
  std::mt19937_64 rng(7);
  for (const OrderRow& row : rows) {
    const std::vector<EntryIdentity> identities = Draw(row, rng);
    std::vector<std::pair<EntryIdentity, int>> pairs;
    for (int o = 0; o < row.count; ++o) {
      pairs.emplace_back(identities[static_cast<std::size_t>(o)], o);
    }
    std::sort(pairs.begin(), pairs.end());
    std::vector<int> expected;
    for (const auto& pair : pairs) expected.push_back(pair.second);
    const auto sorted = SortedByIdentity(row.count, [&](int o) -> const EntryIdentity& {
      return identities[static_cast<std::size_t>(o)];
    });
    EXPECT_TRUE(sorted == expected) << row.name;
  }
}

}  // namespace
}  // namespace palvarin
