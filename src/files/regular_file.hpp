#pragma once

#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <string_view>

namespace palvarin {

// A regular file (or a link to one) open for reading, closed with the object. Anything else
// under the name (a named pipe, a device, a socket, a folder) is refused by its kind before it
// is opened, and the open itself never waits, so no such name can stall the program.
class RegularFile {
 public:
  // Opens `path`; IsOpen() says whether it worked and Error() why not.
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
  // "cannot <step> <path>: <reason>"; empty when open.
  const std::string& Error() const { return error_; }
  // errno of the failure: EINVAL for a name that is no regular file.
  int ErrorCode() const { return code_; }

 private:
  void Fail(const char* step, const std::filesystem::path& path, int code);
  void Close(int code, std::string error);

  int fd_ = -1;
  struct stat info_ {};
  std::string error_;
  int code_ = 0;
};

// "cannot <step> <path>: it is a named pipe, not a regular file" (or a device, a socket, a
// folder) for a file of the kind in `mode`.
std::string NotRegularText(std::string_view step, const std::filesystem::path& path, mode_t mode);

}  // namespace palvarin
