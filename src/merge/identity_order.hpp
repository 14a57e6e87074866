#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "history/entry_identity.hpp"

namespace palvarin {

// An entry's identity and its ordinal among its input's entries.
using PlacedIdentity = std::pair<EntryIdentity, int>;

// The identities of ordinals 0 .. count - 1, `identityOf(ordinal)` each, in order of identity,
// then of ordinal: what std::sort gives. Identities are digests, spread evenly over their
// range, so they are first dealt into buckets by the leading bits of the half compared first,
// in ordinal order, and each bucket, a handful of entries, is sorted on its own: about linear
// time, where sorting them whole took a good part of an aligned merge. Identities bunched
// together only make some buckets larger.
template <typename IdentityOf>
std::vector<PlacedIdentity> SortedByIdentity(int count, IdentityOf identityOf) {
  const auto size = static_cast<std::size_t>(count);
  std::vector<PlacedIdentity> sorted(size);
  // Below this a plain sort is about as fast.
  constexpr std::size_t kFewest = 1024;
  if (size < kFewest) {
    for (int o = 0; o < count; ++o) sorted[static_cast<std::size_t>(o)] = {identityOf(o), o};
    std::sort(sorted.begin(), sorted.end());
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
  for (int o = 0; o < count; ++o) {
    const EntryIdentity identity = identityOf(o);
    sorted[next[bucketOf(identity)]++] = {identity, o};
  }
  std::size_t begin = 0;
  for (std::size_t b = 0; b + 1 < next.size(); ++b) {
    const std::size_t end = next[b];
    if (end - begin > 1) std::sort(sorted.begin() + begin, sorted.begin() + end);
    begin = end;
  }
  return sorted;
}

}  // namespace palvarin
