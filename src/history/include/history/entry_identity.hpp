#pragma once

#include <compare>
#include <cstddef>
#include <cstdint>

namespace palvarin {

// A 128-bit digest of one entry's content, naming the entry wherever a copy of it is found.
struct EntryIdentity {
  std::uint64_t low = 0;
  std::uint64_t high = 0;
  auto operator<=>(const EntryIdentity&) const = default;
};

// Hashes an identity for unordered containers. The bits are a digest already, so the low half
// stands as it is and the high half, stirred as MurmurHash3 finishes, is folded into it.
struct EntryIdentityHash {
  std::size_t operator()(const EntryIdentity& identity) const noexcept {
    std::uint64_t high = identity.high;
    high ^= high >> 33;
    high *= 0xFF51AFD7ED558CCDu;
    high ^= high >> 33;
    high *= 0xC4CEB9FE1A85EC53u;
    high ^= high >> 33;
    return static_cast<std::size_t>(identity.low ^ high);
  }
};

}  // namespace palvarin
