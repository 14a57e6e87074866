#include "lock_folder.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "file_failure.hpp"

namespace palvarin {
namespace {

bool IsFolder(const std::filesystem::path& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::filesystem::path ChooseFolder() {
  const std::string user = std::to_string(::geteuid());
  if (const char* runtime = std::getenv("XDG_RUNTIME_DIR");
      runtime != nullptr && runtime[0] == '/' && IsFolder(runtime)) {
    return std::filesystem::path(runtime) / "palvarin";
  }
  if (const std::filesystem::path session = "/run/user/" + user; IsFolder(session)) {
    return session / "palvarin";
  }
  return "/tmp/palvarin-" + user;
}

}  // namespace

Result<std::filesystem::path> LockFolder() {
  const std::filesystem::path folder = ChooseFolder();
  if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
    return FileFailure(ReasonKind::CannotCreateLockFolder, folder, errno);
  }
  // Under /tmp anybody may have made the name first: a folder of someone else's, or a link to
  // one, would let them hold or break the locks.
  struct stat info {};
  if (::lstat(folder.c_str(), &info) != 0) {
    return FileFailure(ReasonKind::CannotExamineLockFolder, folder, errno);
  }
  if (!S_ISDIR(info.st_mode) || info.st_uid != ::geteuid() || (info.st_mode & 077) != 0) {
    return Failure{{.kind = ReasonKind::LockFolderNotPrivate, .path = folder.string()}};
  }
  return folder;
}

}  // namespace palvarin
