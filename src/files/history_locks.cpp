#include "files/history_locks.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <thread>

#include "file_failure.hpp"
#include "files/folder_listing.hpp"
#include "lock_bytes.hpp"
#include "lock_folder.hpp"

namespace palvarin {
namespace {

constexpr const char* kLockFileName = "histories.lock";
// How long a job waiting for another sleeps between two tries: short beside a merge, long
// beside a system call.
constexpr std::chrono::milliseconds kRetryPause{20};

// A lock of one byte, owned by the open file description: threads and processes alike exclude
// each other, and closing the file frees it.
struct flock ByteLock(off_t byte, short kind) {
  struct flock lock {};
  lock.l_type = kind;
  lock.l_whence = SEEK_SET;
  lock.l_start = byte;
  lock.l_len = 1;
  return lock;
}

bool IsLink(const std::string& path) {
  struct stat entry {};
  return ::lstat(path.c_str(), &entry) == 0 && S_ISLNK(entry.st_mode);
}

}  // namespace

Result<> HistoryLocks::Fail(Failure failure) {
  Release();
  return failure;
}

Result<> HistoryLocks::Acquire(const std::vector<std::string>& paths,
                               const std::function<void()>& waiting,
                               const std::function<bool()>& keepWaiting) {
  LockBytes places;
  for (const std::string& path : paths) places.AddFile(path);
  return Take(places, waiting, keepWaiting);
}

Result<> HistoryLocks::AcquireFolders(const std::vector<std::string>& folders,
                                      const std::vector<Result<FolderMembers>>& listed,
                                      const std::vector<std::string>& names,
                                      const std::function<void()>& waiting,
                                      const std::function<bool()>& keepWaiting) {
  LockBytes places;
  for (std::size_t f = 0; f < folders.size(); ++f) {
    const std::string& folder = folders[f];
    places.AddFolder(folder);
    // A link in the folder leads elsewhere: the folder's byte does not cover where it points.
    // The listing tells the links (a folder job names thousands); a folder that cannot be
    // listed may still be passed through, so each name is looked at there.
    const Result<FolderMembers>& members = listed[f];
    if (!members && members.code() == ENOENT) continue;  // no folder, no link
    for (const std::string& name : names) {
      const auto path = [&] { return (std::filesystem::path(folder) / name).string(); };
      if (members ? std::binary_search(members->links.begin(), members->links.end(), name)
                  : IsLink(path())) {
        places.AddFile(path());
      }
    }
  }
  return Take(places, waiting, keepWaiting);
}

Result<> HistoryLocks::Take(const LockBytes& places, const std::function<void()>& waiting,
                            const std::function<bool()>& keepWaiting) {
  Release();
  const Result<std::filesystem::path> folder = LockFolder();
  if (!folder) return Fail({folder.reason()});
  const auto file = *folder / kLockFileName;
  fd_ = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd_ < 0) return Fail(FileFailure(ReasonKind::CannotOpenLockFile, file, errno));
  for (const auto& [byte, kind] : places.Bytes()) {
    struct flock lock = ByteLock(byte, kind);
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
