#include "files/file_ops.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <vector>

#include "files/io_faults.hpp"

namespace palvarin {
namespace {

// Named like AtomicFile's temporary files, so that IsTemporaryFileName knows a leftover.
constexpr std::string_view kTempSuffix = ".palvarin-tmp";
// Keeps the temporary name within the file system's limit for one name.
constexpr std::size_t kLongestNamePart = 200;
constexpr std::size_t kChunk = std::size_t{1} << 16;

FileResult Failure(std::string_view step, const std::filesystem::path& path, int code) {
  return {false, "cannot " + std::string(step) + " " + path.string() + ": " + std::strerror(code),
          code};
}

// O_NONBLOCK: a FIFO that happens to carry the name must not stall the program.
int OpenForReading(const std::filesystem::path& path) {
  return ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
}

// A file descriptor that is closed on every way out.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int Get() const { return fd_; }

 private:
  int fd_;
};

// Reads until `buffer` is full or the file ends; the count, or -1 on error.
ssize_t ReadFull(int fd, std::vector<char>& buffer) {
  std::size_t filled = 0;
  while (filled < buffer.size()) {
    const ssize_t got = ::read(fd, buffer.data() + filled, buffer.size() - filled);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return -1;
    if (got == 0) break;
    filled += static_cast<std::size_t>(got);
  }
  return static_cast<ssize_t>(filled);
}

// A link is written through, so that a history file reached by a link stays where it is.
std::filesystem::path ResolveLink(const std::filesystem::path& target) {
  std::error_code ec;
  if (!std::filesystem::is_symlink(target, ec)) return target;
  auto resolved = std::filesystem::weakly_canonical(target, ec);
  return ec ? target : resolved;
}

void SyncFolderOf(const std::filesystem::path& file) {
  const auto folder = file.parent_path();
  Descriptor fd(::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.Get() >= 0) ::fsync(fd.Get());
}

FileTime FromStatx(const struct statx_timestamp& stamp) { return {stamp.tv_sec, stamp.tv_nsec}; }

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

// A temporary file beside the target, removed unless it was put in place.
class StagedFile {
 public:
  explicit StagedFile(std::filesystem::path target) : target_(std::move(target)) {}
  ~StagedFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!temp_.empty()) ::unlink(temp_.c_str());
  }
  StagedFile(const StagedFile&) = delete;
  StagedFile& operator=(const StagedFile&) = delete;

  FileResult Create();
  FileResult CopyFrom(int source, const std::filesystem::path& from);
  FileResult Seal(mode_t mode, const struct timespec& lastWrite);
  FileResult Place(CopyMode mode);

 private:
  FileResult Write(std::string_view bytes);

  std::filesystem::path target_;
  std::filesystem::path temp_;
  int fd_ = -1;
};

FileResult StagedFile::Create() {
  if (!faults::Allow("create")) return Failure("create a file beside", target_, EIO);
  const auto name = "." + target_.filename().string().substr(0, kLongestNamePart) + ".XXXXXX" +
                    std::string(kTempSuffix);
  auto pattern = (target_.parent_path() / name).string();
  fd_ = ::mkostemps(pattern.data(), static_cast<int>(kTempSuffix.size()), O_CLOEXEC);
  if (fd_ < 0) return Failure("create a file beside", target_, errno);
  temp_ = pattern;
  return {};
}

FileResult StagedFile::Write(std::string_view bytes) {
  while (!bytes.empty()) {
    if (!faults::Allow("write")) return Failure("write", target_, ENOSPC);
    const std::size_t allowed = faults::WritableBytes(bytes.size());
    if (allowed == 0) return Failure("write", target_, ENOSPC);
    const ssize_t written = ::write(fd_, bytes.data(), allowed);
    if (written < 0 && errno == EINTR) continue;
    if (written < 0) return Failure("write", target_, errno);
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return {};
}

FileResult StagedFile::CopyFrom(int source, const std::filesystem::path& from) {
  std::vector<char> buffer(kChunk);
  for (;;) {
    const ssize_t got = ReadFull(source, buffer);
    if (got < 0) return Failure("read", from, errno);
    if (got == 0) return {};
    if (auto written = Write({buffer.data(), static_cast<std::size_t>(got)}); !written) {
      return written;
    }
  }
}

// The time is set last, after every write, and before the file becomes visible.
FileResult StagedFile::Seal(mode_t mode, const struct timespec& lastWrite) {
  if (!faults::Allow("set attributes")) return Failure("set the time of", target_, EIO);
  const struct timespec times[2] = {{0, UTIME_OMIT}, lastWrite};
  if (::fchmod(fd_, mode) != 0 || ::futimens(fd_, times) != 0) {
    return Failure("set the time of", target_, errno);
  }
  if (!faults::Allow("flush")) return Failure("flush", target_, EIO);
  if (::fsync(fd_) != 0) return Failure("flush", target_, errno);
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) return Failure("close", target_, errno);
  return {};
}

FileResult StagedFile::Place(CopyMode mode) {
  const bool replace = mode == CopyMode::Replace;
  const char* step = replace ? "replace" : "create";
  if (!faults::Allow("rename")) return Failure(step, target_, EIO);
  const bool placed =
      replace ? ::rename(temp_.c_str(), target_.c_str()) == 0 : PlaceIfAbsent(temp_, target_);
  if (!placed) return Failure(step, target_, errno);
  temp_.clear();
  SyncFolderOf(target_);
  return {};
}

// A replaced file keeps its own permissions; a new one gets the source's.
mode_t ModeFor(const std::filesystem::path& target, CopyMode mode, const struct stat& source) {
  struct stat existing {};
  if (mode == CopyMode::Replace && ::stat(target.c_str(), &existing) == 0) {
    return existing.st_mode & 07777;
  }
  return source.st_mode & 0777;
}

}  // namespace

bool PathExists(const std::filesystem::path& path) {
  std::error_code ec;
  return std::filesystem::exists(path, ec);
}

bool IsFolder(const std::filesystem::path& path) {
  std::error_code ec;
  return std::filesystem::is_directory(path, ec);
}

FileFacts ReadFileFacts(const std::filesystem::path& path) {
  FileFacts facts;
  Descriptor file(OpenForReading(path));
  struct statx info {};
  if (file.Get() < 0 ||
      ::statx(file.Get(), "", AT_EMPTY_PATH, STATX_BASIC_STATS | STATX_BTIME, &info) != 0) {
    facts.error = Failure("open", path, errno).error;
    return facts;
  }
  facts.ok = true;
  facts.identity = {::makedev(info.stx_dev_major, info.stx_dev_minor), info.stx_ino};
  facts.size = info.stx_size;
  facts.lastWrite = FromStatx(info.stx_mtime);
  if (info.stx_mask & STATX_BTIME) facts.birth = FromStatx(info.stx_btime);
  return facts;
}

FileResult CopyFile(const std::filesystem::path& from, const std::filesystem::path& to,
                    CopyMode mode) {
  Descriptor source(OpenForReading(from));
  if (source.Get() < 0) return Failure("open", from, errno);
  struct stat info {};
  if (::fstat(source.Get(), &info) != 0) return Failure("examine", from, errno);
  if (!S_ISREG(info.st_mode))
    return {false, "cannot copy " + from.string() + ": not a file", EINVAL};
  const auto target = mode == CopyMode::Replace ? ResolveLink(to) : to;
  StagedFile staged(target);
  FileResult result = staged.Create();
  if (result) result = staged.CopyFrom(source.Get(), from);
  if (result) result = staged.Seal(ModeFor(target, mode, info), info.st_mtim);
  if (result) result = staged.Place(mode);
  return result;
}

FileResult DeleteFile(const std::filesystem::path& path) {
  if (!faults::Allow("delete")) return Failure("delete", path, EIO);
  if (::unlink(path.c_str()) != 0) return Failure("delete", path, errno);
  return {};
}

bool HaveSameContent(const std::filesystem::path& first, const std::filesystem::path& second) {
  Descriptor one(OpenForReading(first));
  Descriptor other(OpenForReading(second));
  if (one.Get() < 0 || other.Get() < 0) return false;
  std::vector<char> bytesOne(kChunk);
  std::vector<char> bytesOther(kChunk);
  for (;;) {
    const ssize_t gotOne = ReadFull(one.Get(), bytesOne);
    const ssize_t gotOther = ReadFull(other.Get(), bytesOther);
    if (gotOne < 0 || gotOne != gotOther) return false;
    if (gotOne == 0) return true;
    if (std::memcmp(bytesOne.data(), bytesOther.data(), static_cast<std::size_t>(gotOne)) != 0) {
      return false;
    }
  }
}

}  // namespace palvarin
