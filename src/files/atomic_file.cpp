#include "files/atomic_file.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "file_failure.hpp"
#include "files/io_faults.hpp"
#include "regular_file.hpp"

namespace palvarin {
namespace {

constexpr std::string_view kTempSuffix = ".palvarin-tmp";
// Keeps the temporary name within the file system's limit for one name.
constexpr std::size_t kLongestNamePart = 200;

// A link is written through, so that a history file reached by a link stays where it is.
std::filesystem::path ResolveLink(const std::filesystem::path& target) {
  std::error_code ec;
  if (!std::filesystem::is_symlink(target, ec)) return target;
  auto resolved = std::filesystem::weakly_canonical(target, ec);
  return ec ? target : resolved;
}

// Exclusive placement: fails with EEXIST when anything, even a dangling link, is at `target`.
bool PlaceIfAbsent(const std::filesystem::path& temp, const std::filesystem::path& target) {
  if (::renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) {
    return true;
  }
  if (errno != EINVAL && errno != ENOSYS) return false;
  // File systems without RENAME_NOREPLACE: a hard link is just as exclusive.
  if (::link(temp.c_str(), target.c_str()) != 0) return false;
  ::unlink(temp.c_str());
  return true;
}

// The temporary file is made private; a new file gets what an ordinary create would give it.
// Reading the umask means setting it for a moment, so it is read once: two threads reading it
// at the same time could leave it at 0.
mode_t CurrentUmask() {
  static const mode_t mask = [] {
    const mode_t current = ::umask(0);
    ::umask(current);
    return current;
  }();
  return mask;
}

void SyncFolderOf(const std::filesystem::path& file) {
  const auto folder = file.parent_path();
  int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
}

}  // namespace

AtomicFile::~AtomicFile() { Discard(); }

const Result<>& AtomicFile::Fail(ReasonKind kind, int code) {
  status_ = FileFailure(kind, target_, code);
  Discard();
  return status_;
}

void AtomicFile::Discard() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!temp_.empty()) ::unlink(temp_.c_str());
  temp_.clear();
}

// Writing or committing what is not open: the failure that closed it, or EBADF for a file
// never opened.
const Result<>& AtomicFile::NotOpen() {
  return status_ ? Fail(ReasonKind::CannotWrite, EBADF) : status_;
}

const Result<>& AtomicFile::Open(const std::filesystem::path& target, Placement placement) {
  Discard();
  placement_ = placement;
  target_ = placement == Placement::Replace ? ResolveLink(target) : target;
  status_ = {};
  // Only a regular file is replaced: a folder, pipe, device or socket of the name stays.
  struct stat existing {};
  if (placement == Placement::Replace && ::stat(target_.c_str(), &existing) == 0 &&
      !S_ISREG(existing.st_mode)) {
    status_ = NotRegularFile(ReasonKind::ReplaceNotRegular, target_, existing.st_mode);
    return status_;
  }
  if (!faults::Allow("create")) return Fail(ReasonKind::CannotCreateBeside, EIO);
  std::string name = ".";
  name.append(target_.filename().string(), 0, kLongestNamePart).append(".XXXXXX");
  name.append(kTempSuffix);
  std::string pattern = (target_.parent_path() / name).string();
  fd_ = ::mkostemps(pattern.data(), static_cast<int>(kTempSuffix.size()), O_CLOEXEC);
  if (fd_ < 0) return Fail(ReasonKind::CannotCreateBeside, errno);
  temp_ = pattern;
  return status_;
}

const Result<>& AtomicFile::Write(std::string_view bytes) {
  if (fd_ < 0) return NotOpen();
  while (!bytes.empty()) {
    if (!faults::Allow("write")) return Fail(ReasonKind::CannotWrite, ENOSPC);
    const std::size_t allowed = faults::WritableBytes(bytes.size());
    if (allowed == 0) return Fail(ReasonKind::CannotWrite, ENOSPC);
    const ssize_t written = ::write(fd_, bytes.data(), allowed);
    if (written < 0 && errno == EINTR) continue;
    if (written < 0) return Fail(ReasonKind::CannotWrite, errno);
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return status_;
}

// The time is set after every write and before the file becomes visible.
const Result<>& AtomicFile::SetAttributes() {
  struct stat existing {};
  mode_t mode = newFileMode_.value_or(0666 & ~CurrentUmask());
  if (placement_ == Placement::Replace && ::stat(target_.c_str(), &existing) == 0) {
    mode = existing.st_mode & 07777;
  }
  if (!faults::Allow("set attributes")) return Fail(ReasonKind::CannotSetAttributes, EIO);
  if (::fchmod(fd_, mode) != 0) return Fail(ReasonKind::CannotSetAttributes, errno);
  const timespec times[2] = {{0, UTIME_OMIT}, lastWrite_.value_or(timespec{0, UTIME_OMIT})};
  if (lastWrite_ && ::futimens(fd_, times) != 0) {
    return Fail(ReasonKind::CannotSetAttributes, errno);
  }
  return status_;
}

const Result<>& AtomicFile::Place() {
  const bool replace = placement_ == Placement::Replace;
  int failure = 0;
  if (!faults::Allow("rename")) {
    failure = EIO;
  } else if (replace ? ::rename(temp_.c_str(), target_.c_str()) != 0
                     : !PlaceIfAbsent(temp_, target_)) {
    failure = errno;
  }
  if (failure != 0) {
    return Fail(replace ? ReasonKind::CannotReplace : ReasonKind::CannotCreate, failure);
  }
  temp_.clear();
  SyncFolderOf(target_);
  return status_;
}

const Result<>& AtomicFile::Commit() {
  if (fd_ < 0) return NotOpen();
  if (!SetAttributes()) return status_;
  if (faults::Flush(fd_) != 0) return Fail(ReasonKind::CannotFlush, errno);
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) return Fail(ReasonKind::CannotClose, errno);
  return Place();
}

bool IsTemporaryFileName(std::string_view name) {
  return name.size() > kTempSuffix.size() && name.front() == '.' && name.ends_with(kTempSuffix);
}

}  // namespace palvarin
