#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace palvarin {

// Writes a file so that the target holds either its old content or the complete new one:
// the bytes go to a temporary file beside the target, which is flushed and renamed into
// place only by Commit. Destroying an uncommitted AtomicFile removes the temporary file.
class AtomicFile {
 public:
  AtomicFile() = default;
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;
  ~AtomicFile();

  // Creates the temporary file for `target`; a symbolic link is written through to its file.
  bool Open(const std::filesystem::path& target);
  bool Write(std::string_view bytes);
  // Flushes, gives the file the target's permissions, and renames it over the target.
  bool Commit();

  // What went wrong, for messages: the file and the system's reason.
  const std::string& Error() const { return error_; }
  const std::filesystem::path& Target() const { return target_; }

 private:
  bool Fail(const char* what);
  void Discard();

  std::filesystem::path target_;
  std::filesystem::path temp_;
  int fd_ = -1;
  std::string error_;
};

// True when `name` is one of the temporary files AtomicFile leaves after a crash.
bool IsTemporaryFileName(std::string_view name);

}  // namespace palvarin
