#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "base/result.hpp"

namespace palvarin {

// Writes a file so that the target holds either its old content or the complete new one:
// the bytes go to a temporary file beside the target, which is flushed and put in place only
// by Commit. Destroying an uncommitted AtomicFile removes the temporary file.
class AtomicFile {
 public:
  // Replace renames over whatever is at the target (a link is written through to its file);
  // IfAbsent puts the file in place only when nothing, not even a dangling link, is there.
  enum class Placement { Replace, IfAbsent };

  AtomicFile() = default;
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;
  ~AtomicFile();

  // Each step gives the file's status: success, or the first failure, which discards the
  // temporary file.

  // Creates the temporary file for `target`; fails, creating nothing, when a Replace target
  // is there and is no regular file (a folder, a named pipe, a device, a socket).
  const Result<>& Open(const std::filesystem::path& target,
                       Placement placement = Placement::Replace);
  const Result<>& Write(std::string_view bytes);
  // The last-write time the file gets at Commit instead of the time of writing.
  void SetLastWriteTime(const timespec& time) { lastWrite_ = time; }
  // The permissions of a file that replaces nothing (default: 0666 less the umask, as any new
  // file); a replacing file keeps the permissions of the file it replaces.
  void SetNewFileMode(mode_t mode) { newFileMode_ = mode; }
  // Flushes the file and puts it in place.
  const Result<>& Commit();

  // Success, or what went wrong: the file, the system's reason and its errno.
  const Result<>& Status() const { return status_; }

 private:
  const Result<>& Fail(ReasonKind kind, int code);
  const Result<>& NotOpen();
  const Result<>& SetAttributes();
  const Result<>& Place();
  void Discard();

  std::filesystem::path target_;
  std::filesystem::path temp_;
  Placement placement_ = Placement::Replace;
  std::optional<timespec> lastWrite_;
  std::optional<mode_t> newFileMode_;
  int fd_ = -1;
  Result<> status_;
};

// True when `name` is one of the temporary files AtomicFile leaves after a crash.
bool IsTemporaryFileName(std::string_view name);

}  // namespace palvarin
