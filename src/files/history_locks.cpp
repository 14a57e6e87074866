#include "files/history_locks.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <thread>
#include <unordered_map>

#include "file_failure.hpp"
#include "lock_folder.hpp"

namespace palvarin {
namespace {

constexpr const char* kLockFileName = "histories.lock";
// How long a job waiting for another sleeps between two tries: short beside a merge, long
// beside a system call.
constexpr std::chrono::milliseconds kRetryPause{20};

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

// Where a file is: its folder's device and inode, and its name. A job names thousands of files
// in a few folders, so each folder is looked up once, and a path is resolved whole only when
// it is a link itself (or names no plain entry), which must lead to where the link points.
class PlaceFinder {
 public:
  // The byte of the lock file that stands for the file at `path`; none when its folder does
  // not exist, so that no file can be there to guard. Distinct places share a byte only by a
  // hash collision, which costs a needless wait and nothing else.
  std::optional<off_t> LockByte(const std::string& path) {
    std::filesystem::path place(path);
    struct stat entry {};
    const std::filesystem::path name = place.filename();
    if (name.empty() || name == "." || name == ".." ||
        (::lstat(path.c_str(), &entry) == 0 && S_ISLNK(entry.st_mode))) {
      std::error_code error;
      place = std::filesystem::weakly_canonical(path, error);
      if (error) place = std::filesystem::absolute(path, error).lexically_normal();
    }
    const std::optional<Folder> folder = FolderOf(place.parent_path());
    if (!folder) return std::nullopt;
    const std::string leaf = place.filename().string();
    PlaceHash hash;
    hash.Add(&folder->device, sizeof folder->device);
    hash.Add(&folder->inode, sizeof folder->inode);
    hash.Add(leaf.data(), leaf.size());
    return static_cast<off_t>(hash.Value() >> 2);  // a positive offset
  }

 private:
  struct Folder {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
  };

  std::optional<Folder> FolderOf(const std::filesystem::path& folder) {
    const std::string key = folder.empty() ? std::string(".") : folder.string();
    if (const auto known = folders_.find(key); known != folders_.end()) return known->second;
    std::optional<Folder> found;
    if (struct stat info{}; ::stat(key.c_str(), &info) == 0) {
      found =
          Folder{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
    }
    folders_.emplace(key, found);
    return found;
  }

  std::unordered_map<std::string, std::optional<Folder>> folders_;
};

// An exclusive lock of one byte, owned by the open file description: threads and processes
// alike exclude each other, and closing the file frees it.
struct flock ByteLock(off_t byte) {
  struct flock lock {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  lock.l_start = byte;
  lock.l_len = 1;
  return lock;
}

}  // namespace

Result<> HistoryLocks::Fail(Failure failure) {
  Release();
  return failure;
}

Result<> HistoryLocks::Acquire(const std::vector<std::string>& paths,
                               const std::function<void()>& waiting,
                               const std::function<bool()>& keepWaiting) {
  Release();
  const Result<std::filesystem::path> folder = LockFolder();
  if (!folder) return Fail({folder.reason()});
  const auto file = *folder / kLockFileName;
  fd_ = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd_ < 0) return Fail(FileFailure(ReasonKind::CannotOpenLockFile, file, errno));
  std::vector<off_t> bytes;
  PlaceFinder places;
  for (const std::string& path : paths) {
    if (const auto byte = places.LockByte(path)) bytes.push_back(*byte);
  }
  std::sort(bytes.begin(), bytes.end());
  bytes.erase(std::unique(bytes.begin(), bytes.end()), bytes.end());
  for (const off_t byte : bytes) {
    struct flock lock = ByteLock(byte);
    // Tries again and again rather than one blocking wait, which could not be called off.
    while (::fcntl(fd_, F_OFD_SETLK, &lock) != 0) {
      if (errno != EAGAIN && errno != EACCES && errno != EINTR) {
        return Fail(FileFailure(ReasonKind::CannotLock, file, errno));
      }
      if (!told_) {
        told_ = true;
        waiting();
      }
      if (keepWaiting && !keepWaiting()) {
        return Fail(Failure{{.kind = ReasonKind::StoppedWhileWaiting, .code = ECANCELED}});
      }
      std::this_thread::sleep_for(kRetryPause);
    }
  }
  return {};
}

void HistoryLocks::Release() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

}  // namespace palvarin
