#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace palvarin {

// What tells a history file apart from an earlier state of itself: its status. The change time
// moves with every write, also one that puts the size and the last-write time back.
struct HistoryStamp {
  std::int64_t size = 0, modified = 0, changed = 0, inode = 0;  // times in nanoseconds
  bool operator==(const HistoryStamp&) const = default;
};

// What tells a folder apart from an earlier state of itself: any name made, removed or renamed
// in it moves its change time.
struct FolderState {
  std::int64_t modified = 0, changed = 0, inode = 0;  // times in nanoseconds
  bool operator==(const FolderState&) const = default;
};

struct HistoryToSearch {
  std::string name;  // its file's name
  // The file's state when it was listed; none when it is gone or no regular file (reading it
  // then says why).
  std::optional<HistoryStamp> stamp;
};

}  // namespace palvarin
