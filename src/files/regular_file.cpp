#include "regular_file.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "failure_text.hpp"

namespace palvarin {
namespace {

// The kind of a file that is not a regular one, for the user.
const char* KindOf(mode_t mode) {
  if (S_ISFIFO(mode)) return "a named pipe";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
  if (S_ISSOCK(mode)) return "a socket";
  if (S_ISDIR(mode)) return "a folder";
  return "no regular file";
}

}  // namespace

RegularFile::RegularFile(const std::filesystem::path& path) {
  // The kind is checked before the open: opening a pipe without a writer would wait, and
  // opening a device can act on it. O_NONBLOCK covers a name swapped in between, and fstat
  // tells what was really opened.
  struct stat named {};
  if (::stat(path.c_str(), &named) != 0) {
    Fail("open", path, errno);
    return;
  }
  if (!S_ISREG(named.st_mode)) {
    Close(Result::Failure(NotRegularText("read", path, named.st_mode), EINVAL));
    return;
  }
  fd_ = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd_ < 0) {
    Fail("open", path, errno);
  } else if (::fstat(fd_, &info_) != 0) {
    Fail("examine", path, errno);
  } else if (!S_ISREG(info_.st_mode)) {
    Close(Result::Failure(NotRegularText("read", path, info_.st_mode), EINVAL));
  }
}

RegularFile::~RegularFile() {
  if (fd_ >= 0) ::close(fd_);
}

void RegularFile::Fail(const char* step, const std::filesystem::path& path, int code) {
  Close(FileFailure(step, path, code));
}

void RegularFile::Close(Result failure) {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  status_ = std::move(failure);
}

std::string NotRegularText(std::string_view step, const std::filesystem::path& path, mode_t mode) {
  return "cannot " + std::string(step) + " " + path.string() + ": it is " + KindOf(mode) +
         ", not a regular file";
}

}  // namespace palvarin
