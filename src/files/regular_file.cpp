#include "regular_file.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "file_failure.hpp"

namespace palvarin {
namespace {

// The kind of a file that is not a regular one.
FileKind KindOf(mode_t mode) {
  if (S_ISFIFO(mode)) return FileKind::Pipe;
  if (S_ISCHR(mode) || S_ISBLK(mode)) return FileKind::Device;
  if (S_ISSOCK(mode)) return FileKind::Socket;
  if (S_ISDIR(mode)) return FileKind::Folder;
  return FileKind::Other;
}

}  // namespace

RegularFile::RegularFile(const std::filesystem::path& path) {
  // The kind is checked before the open: opening a pipe without a writer would wait, and
  // opening a device can act on it. O_NONBLOCK covers a name swapped in between, and fstat
  // tells what was really opened.
  struct stat named {};
  if (::stat(path.c_str(), &named) != 0) {
    Fail(ReasonKind::CannotOpen, path, errno);
    return;
  }
  if (!S_ISREG(named.st_mode)) {
    Close(NotRegularFile(ReasonKind::ReadNotRegular, path, named.st_mode));
    return;
  }
  fd_ = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd_ < 0) {
    Fail(ReasonKind::CannotOpen, path, errno);
  } else if (::fstat(fd_, &info_) != 0) {
    Fail(ReasonKind::CannotExamine, path, errno);
  } else if (!S_ISREG(info_.st_mode)) {
    Close(NotRegularFile(ReasonKind::ReadNotRegular, path, info_.st_mode));
  }
}

RegularFile::~RegularFile() {
  if (fd_ >= 0) ::close(fd_);
}

void RegularFile::Fail(ReasonKind kind, const std::filesystem::path& path, int code) {
  Close(FileFailure(kind, path, code));
}

void RegularFile::Close(Result<> failure) {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  status_ = std::move(failure);
}

Failure NotRegularFile(ReasonKind kind, const std::filesystem::path& path, mode_t mode) {
  return Failure{{.kind = kind, .path = path.string(), .code = EINVAL, .fileKind = KindOf(mode)}};
}

}  // namespace palvarin
