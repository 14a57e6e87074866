#pragma once

#include <compare>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "base/result.hpp"

namespace palvarin {

// True when something exists at `path`; links are followed.
bool PathExists(const std::filesystem::path& path);
// True when `path` names a folder; links are followed.
bool IsFolder(const std::filesystem::path& path);

// A moment as the file system keeps it, to the nanosecond.
struct FileTime {
  std::int64_t seconds = 0;
  std::int64_t nanoseconds = 0;

  auto operator<=>(const FileTime&) const = default;
};

// Device and inode: equal identities mean one file, whatever the paths look like.
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;

  bool operator==(const FileIdentity&) const = default;
};

// The identity of what `path` names, a file or a folder, links followed; none when there is
// nothing there or it cannot be examined.
std::optional<FileIdentity> IdentityOf(const std::filesystem::path& path);

// What an open for reading shows of a regular file.
struct FileFacts {
  FileIdentity identity;
  std::uint64_t size = 0;
  FileTime lastWrite;
  std::optional<FileTime> birth;  // only where the file system reports it
};

// Opens the regular file `path` for reading (links followed; see RegularFile) and reads its
// facts from the open file; fails when it cannot be opened or is no regular file.
Result<FileFacts> ReadFileFacts(const std::filesystem::path& path);

// Which file a name leads to, and its size, as seen without opening it.
struct NamedFile {
  FileIdentity identity;
  std::uint64_t size = 0;
};

// The NamedFile of each of `names` in `folder` (links followed), in their order; none for a
// name with no file to examine, and for all when the folder cannot be reached. The folder is
// opened once and each name looked up in it: a folder job looks at thousands.
std::vector<std::optional<NamedFile>> ReadNamedFiles(const std::string& folder,
                                                     std::span<const std::string> names);

// Whether a copy may take the place of an existing target.
enum class CopyMode { FailIfExists, Replace };

// Copies a regular file's bytes and last-write time through a flushed temporary file beside
// `to`; anything else at `from` is refused unopened (see RegularFile). Replace renames it over the
// target (a link is written through, the target keeps its permissions); FailIfExists puts it in
// place only if nothing is there, without a race.
Result<> CopyFile(const std::filesystem::path& from, const std::filesystem::path& to,
                  CopyMode mode);

// Fails with WriteThroughLink when `path` is a symbolic link. A job's own files in its output
// folder (a gather's histories, an export's pages) are written there, never through a link to a
// file elsewhere, which might be a history; Replace would write through it.
Result<> RefuseLink(const std::filesystem::path& path);

// Removes the directory entry `path` (a link itself, not its file).
Result<> DeleteFile(const std::filesystem::path& path);

// True when both are regular files that can be read and hold the same bytes.
bool HaveSameContent(const std::filesystem::path& first, const std::filesystem::path& second);

}  // namespace palvarin
