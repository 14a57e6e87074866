#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "history_stamp.hpp"

namespace palvarin {

// One history of a folder as a search of it left it: its name, its file's state (all zero when
// it had none) and the index's number for it (0 when the index does not hold it).
struct SnapshotEntry {
  std::string_view name;
  HistoryStamp stamp;
  std::int64_t id = 0;
};

// The histories of a folder, in name order, with the index's numbers for them (`ids`, one
// each), as one run of bytes: a search of a folder that has not changed reads them in one
// piece instead of listing the folder and reading a row of the index per history.
std::string EncodeSnapshot(std::span<const HistoryToSearch> histories,
                           std::span<const std::optional<std::int64_t>> ids);

// The entries of `bytes` (their names pointing into it), given one by one to `take`; false,
// after some perhaps, unless they are whole and in strictly ascending name order, as
// EncodeSnapshot writes them.
bool DecodeSnapshot(std::string_view bytes, const std::function<void(const SnapshotEntry&)>& take);

}  // namespace palvarin
