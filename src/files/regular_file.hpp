#pragma once

#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <string_view>

#include "base/result.hpp"

namespace palvarin {

// A regular file (or a link to one) open for reading, closed with the object. Anything else
// under the name (a named pipe, a device, a socket, a folder) is refused by its kind before it
// is opened, and the open itself never waits, so no such name can stall the program.
class RegularFile {
 public:
  // Opens `path`; IsOpen() says whether it worked and Status() why not.
  explicit RegularFile(const std::filesystem::path& path);
  ~RegularFile();
  RegularFile(const RegularFile&) = delete;
  RegularFile& operator=(const RegularFile&) = delete;

  // True when the file is open and is a regular file.
  bool IsOpen() const { return fd_ >= 0; }
  // The descriptor; -1 when not open.
  int Get() const { return fd_; }
  // What fstat said of the open file.
  const struct stat& Info() const { return info_; }
  // Success, or the step that failed on the path with its errno (EINVAL for a name that is
  // no regular file).
  const Result<>& Status() const { return status_; }

 private:
  void Fail(ReasonKind kind, const std::filesystem::path& path, int code);
  void Close(Result<> failure);

  int fd_ = -1;
  struct stat info_ {};
  Result<> status_;
};

// A failure of `kind` (reading or replacing what is no regular file) with EINVAL, the path
// and the kind of file in `mode`: a named pipe, a device, a socket, a folder.
Failure NotRegularFile(ReasonKind kind, const std::filesystem::path& path, mode_t mode);

}  // namespace palvarin
