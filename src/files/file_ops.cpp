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

#include "file_failure.hpp"
#include "files/atomic_file.hpp"
#include "files/io_faults.hpp"
#include "regular_file.hpp"

namespace palvarin {
namespace {

constexpr std::size_t kChunk = std::size_t{1} << 16;

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

FileTime FromStatx(const struct statx_timestamp& stamp) { return {stamp.tv_sec, stamp.tv_nsec}; }

// Copies the bytes of `source` into `file`; false when reading or writing fails.
Result<> CopyBytes(int source, const std::filesystem::path& from, AtomicFile& file) {
  std::vector<char> buffer(kChunk);
  for (;;) {
    const ssize_t got = ReadFull(source, buffer);
    if (got < 0) return FileFailure(ReasonKind::CannotRead, from, errno);
    if (got == 0) return {};
    if (!file.Write({buffer.data(), static_cast<std::size_t>(got)})) return file.Status();
  }
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

std::optional<FileIdentity> IdentityOf(const std::filesystem::path& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return std::nullopt;
  return FileIdentity{static_cast<std::uint64_t>(info.st_dev), info.st_ino};
}

Result<FileFacts> ReadFileFacts(const std::filesystem::path& path) {
  const RegularFile file(path);
  if (!file.IsOpen()) return Failure{file.Status().reason()};
  struct statx info {};
  if (::statx(file.Get(), "", AT_EMPTY_PATH, STATX_BASIC_STATS | STATX_BTIME, &info) != 0) {
    return FileFailure(ReasonKind::CannotExamine, path, errno);
  }
  FileFacts facts;
  facts.identity = {::makedev(info.stx_dev_major, info.stx_dev_minor), info.stx_ino};
  facts.size = info.stx_size;
  facts.lastWrite = FromStatx(info.stx_mtime);
  if (info.stx_mask & STATX_BTIME) facts.birth = FromStatx(info.stx_btime);
  return facts;
}

std::vector<std::optional<NamedFile>> ReadNamedFiles(const std::string& folder,
                                                     std::span<const std::string> names) {
  std::vector<std::optional<NamedFile>> files(names.size());
  // O_PATH: a folder that may be passed through but not listed still leads to its files.
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return files;
  for (std::size_t i = 0; i < names.size(); ++i) {
    struct stat info {};
    if (::fstatat(fd, names[i].c_str(), &info, 0) == 0) {
      files[i] = NamedFile{{static_cast<std::uint64_t>(info.st_dev), info.st_ino},
                           static_cast<std::uint64_t>(info.st_size)};
    }
  }
  ::close(fd);
  return files;
}

Result<> CopyFile(const std::filesystem::path& from, const std::filesystem::path& to,
                  CopyMode mode) {
  const RegularFile source(from);
  if (!source.IsOpen()) return source.Status();
  const struct stat& info = source.Info();
  AtomicFile file;
  const auto placement =
      mode == CopyMode::Replace ? AtomicFile::Placement::Replace : AtomicFile::Placement::IfAbsent;
  if (!file.Open(to, placement)) return file.Status();
  if (auto copied = CopyBytes(source.Get(), from, file); !copied) return copied;
  // A new file gets the source's permissions, so that a private history stays private.
  file.SetNewFileMode(info.st_mode & 0777);
  file.SetLastWriteTime(info.st_mtim);
  if (!file.Commit()) return file.Status();
  return {};
}

Result<> RefuseLink(const std::filesystem::path& path) {
  struct stat facts {};
  if (::lstat(path.c_str(), &facts) == 0 && S_ISLNK(facts.st_mode)) {
    return Failure{{.kind = ReasonKind::WriteThroughLink, .path = path.string()}};
  }
  return {};
}

Result<> DeleteFile(const std::filesystem::path& path) {
  if (!faults::Allow("delete")) return FileFailure(ReasonKind::CannotDelete, path, EIO);
  if (::unlink(path.c_str()) != 0) return FileFailure(ReasonKind::CannotDelete, path, errno);
  return {};
}

bool HaveSameContent(const std::filesystem::path& first, const std::filesystem::path& second) {
  const RegularFile one(first);
  const RegularFile other(second);
  if (!one.IsOpen() || !other.IsOpen()) return false;
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
