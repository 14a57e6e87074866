#pragma once

#include <optional>
#include <span>
#include <vector>

#include "history/entry_identity.hpp"

namespace palvarin {

// The stored form of a set of identities: 16 bytes per identity, its `low` then its `high`
// half, each little-endian, in the order given; no header, so the length says the count.
std::vector<unsigned char> EncodeIdentities(std::span<const EntryIdentity> identities);

// The identities of a stored blob; none when its length is not a multiple of 16.
std::optional<std::vector<EntryIdentity>> DecodeIdentities(std::span<const unsigned char> blob);

}  // namespace palvarin
