#include <gtest/gtest.h>

#include <unordered_set>

#include "history/entry_identity.hpp"

namespace palvarin {
namespace {

TEST(EntryIdentityHash, EveryBitOfBothHalvesCounts) {
  const EntryIdentityHash hash;
  std::unordered_set<std::size_t> hashes{hash({0, 0})};
  for (int bit = 0; bit < 64; ++bit) {
    const std::uint64_t one = std::uint64_t{1} << bit;
    EXPECT_TRUE(hashes.insert(hash({one, 0})).second) << "low bit " << bit;
    EXPECT_TRUE(hashes.insert(hash({0, one})).second) << "high bit " << bit;
  }
  EXPECT_NE(hash({1, 2}), hash({2, 1}));
}

}  // namespace
}  // namespace palvarin
