#include "lock_bytes.hpp"

#include <sys/stat.h>

#include <system_error>

namespace palvarin {
namespace {

// A folder's own byte uses a name no file can have.
constexpr const char* kWholeFolder = "/";

// FNV-1a, spelled out: the place of a lock must not change between builds of the program.
class PlaceHash {
 public:
  void Add(const void* bytes, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
      hash_ = (hash_ ^ static_cast<const unsigned char*>(bytes)[i]) * 0x100000001b3ULL;
    }
  }
  std::uint64_t Value() const { return hash_; }

 private:
  std::uint64_t hash_ = 0xcbf29ce484222325ULL;
};

}  // namespace

std::optional<LockBytes::Folder> LockBytes::FolderOf(const std::filesystem::path& folder) {
  const std::string key = folder.empty() ? std::string(".") : folder.string();
  if (const auto known = folders_.find(key); known != folders_.end()) return known->second;
  std::optional<Folder> found;
  if (struct stat info{}; ::stat(key.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
    found =
        Folder{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
  }
  folders_.emplace(key, found);
  return found;
}

void LockBytes::Want(const Folder& folder, const std::string& name, short kind) {
  PlaceHash hash;
  hash.Add(&folder.device, sizeof folder.device);
  hash.Add(&folder.inode, sizeof folder.inode);
  hash.Add(name.data(), name.size());
  short& wanted = bytes_.try_emplace(static_cast<off_t>(hash.Value() >> 2), kind).first->second;
  if (kind == F_WRLCK) wanted = F_WRLCK;
}

void LockBytes::AddFile(const std::string& path) {
  // Only a link (or a name that is no plain entry) needs the whole path resolved, to lead to
  // where it points.
  std::filesystem::path place(path);
  const std::filesystem::path name = place.filename();
  if (struct stat entry{}; name.empty() || name == "." || name == ".." ||
                           (::lstat(path.c_str(), &entry) == 0 && S_ISLNK(entry.st_mode))) {
    std::error_code error;
    place = std::filesystem::weakly_canonical(path, error);
    if (error) place = std::filesystem::absolute(path, error).lexically_normal();
  }
  const std::optional<Folder> folder = FolderOf(place.parent_path());
  if (!folder) return;
  Want(*folder, kWholeFolder, F_RDLCK);
  Want(*folder, place.filename().string(), F_WRLCK);
}

void LockBytes::AddFolder(const std::string& folder) {
  if (const std::optional<Folder> found = FolderOf(folder)) Want(*found, kWholeFolder, F_WRLCK);
}

}  // namespace palvarin
