#include "folder_snapshot.hpp"

#include <array>
#include <cstring>

namespace palvarin {
namespace {

// Each entry: the name's length, the name, then the stamp's four numbers and the number.
constexpr std::size_t kNumbers = 5;
constexpr std::size_t kFixed = sizeof(std::uint32_t) + kNumbers * sizeof(std::int64_t);

}  // namespace

std::string EncodeSnapshot(std::span<const HistoryToSearch> histories,
                           std::span<const std::optional<std::int64_t>> ids) {
  std::string bytes;
  std::size_t total = 0;
  for (const HistoryToSearch& history : histories) total += kFixed + history.name.size();
  bytes.reserve(total);
  for (std::size_t at = 0; at < histories.size(); ++at) {
    const std::string& name = histories[at].name;
    const auto length = static_cast<std::uint32_t>(name.size());
    bytes.append(reinterpret_cast<const char*>(&length), sizeof length);
    bytes.append(name);
    const HistoryStamp stamp = histories[at].stamp.value_or(HistoryStamp{});
    const std::array<std::int64_t, kNumbers> numbers{stamp.size, stamp.modified, stamp.changed,
                                                     stamp.inode, ids[at].value_or(0)};
    bytes.append(reinterpret_cast<const char*>(numbers.data()), sizeof numbers);
  }
  return bytes;
}

bool DecodeSnapshot(std::string_view bytes, const std::function<void(const SnapshotEntry&)>& take) {
  std::string_view last;
  for (bool first = true; !bytes.empty(); first = false) {
    std::uint32_t length = 0;
    if (bytes.size() < kFixed) return false;
    std::memcpy(&length, bytes.data(), sizeof length);
    bytes.remove_prefix(sizeof length);
    if (bytes.size() - (kFixed - sizeof length) < length) return false;
    const std::string_view name = bytes.substr(0, length);
    if (!first && !(last < name)) return false;
    last = name;
    bytes.remove_prefix(length);
    std::array<std::int64_t, kNumbers> numbers{};
    std::memcpy(numbers.data(), bytes.data(), sizeof numbers);
    bytes.remove_prefix(sizeof numbers);
    take({name, {numbers[0], numbers[1], numbers[2], numbers[3]}, numbers[4]});
  }
  return true;
}

}  // namespace palvarin
