#pragma once

#include <fcntl.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>

namespace palvarin {

// The bytes of the lock file that stand for the places a job works on, each with the kind of
// lock it needs. A file is known by where it is (its folder's device and inode, and its name,
// links followed), not by its own inode, which every save replaces. A whole folder has a byte
// of its own: a job holding it exclusively keeps out every job that holds any file in it, since
// each file also takes its folder's byte shared. Distinct places share a byte only by a hash
// collision, which costs a needless wait and nothing else.
class LockBytes {
 public:
  // Exclusive on the file's place, shared on its folder's; nothing when its folder does not
  // exist, so that no file can be there to guard.
  void AddFile(const std::string& path);
  // Exclusive on the folder's own byte, which covers every file in it that is no link.
  void AddFolder(const std::string& folder);
  // Each byte once, in order, exclusive where any place asked for it.
  const std::map<off_t, short>& Bytes() const { return bytes_; }

 private:
  struct Folder {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
  };

  // A job names thousands of files in a few folders: each folder is looked up once.
  std::optional<Folder> FolderOf(const std::filesystem::path& folder);
  void Want(const Folder& folder, const std::string& name, short kind);

  std::unordered_map<std::string, std::optional<Folder>> folders_;
  std::map<off_t, short> bytes_;  // F_RDLCK or F_WRLCK
};

}  // namespace palvarin
