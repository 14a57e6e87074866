#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "history/entry_identity.hpp"

namespace palvarin {

// How many ordinals ahead of the one at hand their identities are asked for, where ordinals in
// order of identity are read: the identities lie all over memory.
constexpr std::size_t kPrefetchAhead = 16;

// The ordinals 0 .. count - 1 in order of their identities, `identityOf(ordinal)` each (a
// reference to where it lies), then of ordinal. Only the ordinals are kept, a sixth of the room
// of each with its identity: both inputs' are held at once beside the merge's records, at the
// top of a large merge's memory. Identities are digests, spread evenly over their range, so the
// ordinals are first dealt into buckets by the leading bits of the identities' half compared
// first, in ordinal order, and each bucket, a handful of entries, is sorted on its own: about
// linear time, where sorting them whole took a good part of an aligned merge. Identities
// bunched together only make some buckets larger.
template <typename IdentityOf>
std::vector<int> SortedByIdentity(int count, IdentityOf identityOf) {
  const auto size = static_cast<std::size_t>(count);
  std::vector<int> sorted(size);
  const auto before = [&identityOf](int a, int b) {
    const EntryIdentity& x = identityOf(a);
    const EntryIdentity& y = identityOf(b);
    return x < y || (x == y && a < b);
  };
  // Below this a plain sort is about as fast.
  constexpr std::size_t kFewest = 1024;
  if (size < kFewest) {
    for (int o = 0; o < count; ++o) sorted[static_cast<std::size_t>(o)] = o;
    std::sort(sorted.begin(), sorted.end(), before);
    return sorted;
  }
  // About four identities a bucket.
  const int bits = std::min(16, static_cast<int>(std::bit_width(size)) - 2);
  const int shift = 64 - bits;
  const auto bucketOf = [shift](const EntryIdentity& identity) {
    return static_cast<std::size_t>(identity.low >> shift);
  };
  std::vector<std::uint32_t> next((std::size_t{1} << bits) + 1, 0);
  for (int o = 0; o < count; ++o) ++next[bucketOf(identityOf(o)) + 1];
  for (std::size_t b = 1; b < next.size(); ++b) next[b] += next[b - 1];
  // next[b] is where bucket b begins; each is moved on as the bucket fills, to where the next
  // bucket begins.
  for (int o = 0; o < count; ++o) sorted[next[bucketOf(identityOf(o))]++] = o;
  // Each bucket's identities are asked for a few ordinals ahead, so that they arrive while the
  // buckets before them are sorted.
  std::size_t begin = 0;
  std::size_t asked = 0;
  for (std::size_t b = 0; b + 1 < next.size(); ++b) {
    const std::size_t end = next[b];
    for (; asked < std::min(size, end + kPrefetchAhead); ++asked) {
      __builtin_prefetch(&identityOf(sorted[asked]));
    }
    if (end - begin > 1) std::sort(sorted.begin() + begin, sorted.begin() + end, before);
    begin = end;
  }
  return sorted;
}

}  // namespace palvarin
