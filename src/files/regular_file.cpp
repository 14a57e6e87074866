#include "regular_file.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "failure_text.hpp"

namespace palvarin {
namespace {

// The kind of a file that is not a regular one, for the user.
Phrase KindOf(mode_t mode) {
  if (S_ISFIFO(mode)) return Say("a named pipe");
  if (S_ISCHR(mode) || S_ISBLK(mode)) return Say("a device");
  if (S_ISSOCK(mode)) return Say("a socket");
  if (S_ISDIR(mode)) return Say("a folder");
  return Say("no regular file");
}

}  // namespace

RegularFile::RegularFile(const std::filesystem::path& path) {
  // The kind is checked before the open: opening a pipe without a writer would wait, and
  // opening a device can act on it. O_NONBLOCK covers a name swapped in between, and fstat
  // tells what was really opened.
  struct stat named {};
  if (::stat(path.c_str(), &named) != 0) {
    Fail("cannot open {0}: {1}", path, errno);
    return;
  }
  if (!S_ISREG(named.st_mode)) {
    Close(NotRegularFile("cannot read {0}: it is {1}, not a regular file", path, named.st_mode));
    return;
  }
  fd_ = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd_ < 0) {
    Fail("cannot open {0}: {1}", path, errno);
  } else if (::fstat(fd_, &info_) != 0) {
    Fail("cannot examine {0}: {1}", path, errno);
  } else if (!S_ISREG(info_.st_mode)) {
    Close(NotRegularFile("cannot read {0}: it is {1}, not a regular file", path, info_.st_mode));
  }
}

RegularFile::~RegularFile() {
  if (fd_ >= 0) ::close(fd_);
}

void RegularFile::Fail(std::string_view pattern, const std::filesystem::path& path, int code) {
  Close(FileFailure(pattern, path, code));
}

void RegularFile::Close(Result failure) {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  status_ = std::move(failure);
}

Result NotRegularFile(std::string_view pattern, const std::filesystem::path& path, mode_t mode) {
  return Result::Failure(Say(pattern, {path.string(), KindOf(mode)}), EINVAL);
}

}  // namespace palvarin
