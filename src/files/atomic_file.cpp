#include "files/atomic_file.hpp"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

#include "files/io_faults.hpp"

namespace palvarin {
namespace {

constexpr std::string_view kTempSuffix = ".palvarin-tmp";

// A link is written through, so that a history file reached by a link stays where it is.
std::filesystem::path ResolveTarget(const std::filesystem::path& target) {
  std::error_code ec;
  if (std::filesystem::is_symlink(target, ec)) {
    auto resolved = std::filesystem::weakly_canonical(target, ec);
    if (!ec) return resolved;
  }
  return target;
}

std::filesystem::path TempPathBeside(const std::filesystem::path& target) {
  static std::mt19937_64 random{std::random_device{}()};
  auto name = "." + target.filename().string() + "." + std::to_string(random() % 1000000000) +
              std::string(kTempSuffix);
  return target.parent_path() / name;
}

void SyncFolderOf(const std::filesystem::path& file) {
  auto folder = file.parent_path();
  int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
}

}  // namespace

AtomicFile::~AtomicFile() { Discard(); }

bool AtomicFile::Fail(const char* what) {
  error_ = std::string("cannot ") + what + " " + target_.string() + ": " + std::strerror(errno);
  Discard();
  return false;
}

void AtomicFile::Discard() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!temp_.empty()) ::unlink(temp_.c_str());
  temp_.clear();
}

bool AtomicFile::Open(const std::filesystem::path& target) {
  Discard();
  target_ = ResolveTarget(target);
  error_.clear();
  if (!faults::Allow("create")) {
    errno = EIO;
    return Fail("create a file beside");
  }
  do {
    temp_ = TempPathBeside(target_);
    fd_ = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  } while (fd_ < 0 && errno == EEXIST);
  if (fd_ < 0) {
    temp_.clear();
    return Fail("create a file beside");
  }
  return true;
}

bool AtomicFile::Write(std::string_view bytes) {
  if (fd_ < 0) return false;
  while (!bytes.empty()) {
    if (!faults::Allow("write")) {
      errno = ENOSPC;
      return Fail("write");
    }
    std::size_t allowed = faults::WritableBytes(bytes.size());
    if (allowed == 0) {
      errno = ENOSPC;
      return Fail("write");
    }
    ssize_t written = ::write(fd_, bytes.data(), allowed);
    if (written < 0) {
      if (errno == EINTR) continue;
      return Fail("write");
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

bool AtomicFile::Commit() {
  if (fd_ < 0) return false;
  struct stat existing {};
  if (::stat(target_.c_str(), &existing) == 0) {
    ::fchmod(fd_, existing.st_mode & 07777);
  }
  if (!faults::Allow("flush")) {
    errno = EIO;
    return Fail("flush");
  }
  if (::fsync(fd_) != 0) return Fail("flush");
  int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) return Fail("close");
  if (!faults::Allow("rename")) {
    errno = EIO;
    return Fail("replace");
  }
  if (::rename(temp_.c_str(), target_.c_str()) != 0) return Fail("replace");
  temp_.clear();
  SyncFolderOf(target_);
  return true;
}

bool IsTemporaryFileName(std::string_view name) {
  return name.size() > kTempSuffix.size() && name.front() == '.' && name.ends_with(kTempSuffix);
}

}  // namespace palvarin
