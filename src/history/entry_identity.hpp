#pragma once

#include <compare>
#include <cstdint>
#include <functional>

namespace palvarin {

// A 128-bit digest of what makes two entries the same entry.
struct EntryIdentity {
  std::uint64_t low = 0;
  std::uint64_t high = 0;
  auto operator<=>(const EntryIdentity&) const = default;
};

// For unordered containers: the digest's bits are already well mixed.
struct EntryIdentityHash {
  std::size_t operator()(const EntryIdentity& identity) const noexcept {
    return static_cast<std::size_t>(identity.low ^ (identity.high * 0x9E3779B97F4A7C15ULL));
  }
};

}  // namespace palvarin
