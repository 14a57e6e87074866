#include "identity_blob.hpp"

#include <cstdint>

namespace palvarin {
namespace {

constexpr std::size_t kHalfBytes = 8;
constexpr std::size_t kIdentityBytes = 2 * kHalfBytes;

// Byte by byte, so the stored form is the same on every machine; compilers make one move of it.
void PutHalf(std::uint64_t half, unsigned char* out) {
  for (std::size_t i = 0; i < kHalfBytes; ++i) out[i] = static_cast<unsigned char>(half >> (8 * i));
}

std::uint64_t GetHalf(const unsigned char* in) {
  std::uint64_t half = 0;
  for (std::size_t i = 0; i < kHalfBytes; ++i) half |= std::uint64_t{in[i]} << (8 * i);
  return half;
}

}  // namespace

std::vector<unsigned char> EncodeIdentities(std::span<const EntryIdentity> identities) {
  std::vector<unsigned char> blob(identities.size() * kIdentityBytes);
  unsigned char* out = blob.data();
  for (const EntryIdentity& identity : identities) {
    PutHalf(identity.low, out);
    PutHalf(identity.high, out + kHalfBytes);
    out += kIdentityBytes;
  }
  return blob;
}

std::optional<std::vector<EntryIdentity>> DecodeIdentities(std::span<const unsigned char> blob) {
  if (blob.size() % kIdentityBytes != 0) return std::nullopt;
  std::vector<EntryIdentity> identities(blob.size() / kIdentityBytes);
  const unsigned char* in = blob.data();
  for (EntryIdentity& identity : identities) {
    identity = {GetHalf(in), GetHalf(in + kHalfBytes)};
    in += kIdentityBytes;
  }
  return identities;
}

}  // namespace palvarin
