#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/result.hpp"
#include "time/time_value.hpp"

namespace palvarin {

// The backup of `path` made at `when`: the path, "_", the local time in 14 digits, ".backup".
std::string BackupName(const std::string& path, TimeValue when);

// The backups beside `path` (names that start with its file name and end in ".backup"),
// newest first by birth time, else last-write time; one that cannot be opened is the oldest.
std::vector<std::string> ListBackups(const std::string& path);

// The newest backup of `path` when it holds the same bytes as `path`; none otherwise.
std::optional<std::string> IdenticalNewestBackup(const std::string& path);

// Copies `path` to a new backup, and only then deletes the oldest backups beyond `maximum`
// (0: no limit), never the new one. A failed copy deletes nothing and fails with the copy's
// reason; an identical backup of the same second counts as made. The backups deleted are
// added to `removed` when given.
Result<> MakeBackup(const std::string& path, std::uint32_t maximum,
                    std::vector<std::string>* removed = nullptr);

// MakeBackup with the backup named after `now` instead of the current time.
Result<> MakeBackupAt(const std::string& path, std::uint32_t maximum, TimeValue now,
                      std::vector<std::string>* removed = nullptr);

// The backups MakeBackupAt would delete once the backup `kept` of `path` is there, oldest
// last; nothing is deleted.
std::vector<std::string> BackupsBeyond(const std::string& path, const std::string& kept,
                                       std::uint32_t maximum);

}  // namespace palvarin
