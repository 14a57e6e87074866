#include "lock_folder.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "files/private_folder.hpp"

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
  // Under /tmp anybody may have made the name first: a folder of someone else's, or a link to
  // one, would let them hold or break the locks.
  const Result<> made = MakePrivateFolder(
      folder, {ReasonKind::CannotCreateLockFolder, ReasonKind::CannotExamineLockFolder,
               ReasonKind::LockFolderNotPrivate});
  if (!made) return Failure{made.reason()};
  return folder;
}

}  // namespace palvarin
