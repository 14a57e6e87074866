#include "failure_text.hpp"

#include <cerrno>
#include <string>
#include <system_error>

namespace palvarin {

Phrase SystemReason(int code) {
  // The reasons a history's files meet in practice; the rest keep the C library's words.
  switch (code) {
    case ENOENT:
      return Say("No such file or directory");
    case EACCES:
      return Say("Permission denied");
    case EPERM:
      return Say("Operation not permitted");
    case ENOSPC:
      return Say("No space left on device");
    case EDQUOT:
      return Say("Disk quota exceeded");
    case EROFS:
      return Say("Read-only file system");
    case EIO:
      return Say("Input/output error");
    case ENOMEM:
      return Say("Cannot allocate memory");
    case EEXIST:
      return Say("File exists");
    case ENOTDIR:
      return Say("Not a directory");
    case EISDIR:
      return Say("Is a directory");
    case ELOOP:
      return Say("Too many levels of symbolic links");
    case ENAMETOOLONG:
      return Say("File name too long");
    case EMFILE:
      return Say("Too many open files");
    case EBUSY:
      return Say("Device or resource busy");
    case EFBIG:
      return Say("File too large");
    default:
      return std::generic_category().message(code);
  }
}

Result FileFailure(std::string_view pattern, const std::filesystem::path& path, int code) {
  return Result::Failure(Say(pattern, {path.string(), SystemReason(code)}), code);
}

}  // namespace palvarin
