#include "files/private_folder.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "file_failure.hpp"

namespace palvarin {

Result<> MakePrivateFolder(const std::filesystem::path& folder, const PrivateFolderKinds& kinds) {
  if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
    return FileFailure(kinds.notCreated, folder, errno);
  }
  struct stat info {};
  if (::lstat(folder.c_str(), &info) != 0) return FileFailure(kinds.notExamined, folder, errno);
  if (!S_ISDIR(info.st_mode) || info.st_uid != ::geteuid() || (info.st_mode & 077) != 0) {
    return Failure{{.kind = kinds.notPrivate, .path = folder.string()}};
  }
  return {};
}

}  // namespace palvarin
