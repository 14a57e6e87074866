#include "index_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "files/private_folder.hpp"

namespace palvarin {
namespace {

Failure IndexFailure(ReasonKind kind, const std::filesystem::path& file, int code = 0) {
  return Failure{{.kind = kind, .path = file.string(), .code = code}};
}

}  // namespace

Result<std::string> PrivateIndexFile(const std::filesystem::path& file) {
  const std::filesystem::path folder = file.parent_path();
  std::error_code error;
  std::filesystem::create_directories(folder.parent_path(), error);
  const Result<> made = MakePrivateFolder(
      folder, {ReasonKind::SearchFolderNotCreated, ReasonKind::SearchFolderNotCreated,
               ReasonKind::SearchFolderNotPrivate});
  if (!made) return IndexFailure(made.reason().kind, file, made.code());
  const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
  if (fd < 0) {
    return IndexFailure(
        errno == ELOOP ? ReasonKind::SearchIndexNotPrivate : ReasonKind::SearchIndexUnusable, file,
        errno);
  }
  // Another name of the file (a hard link) could be another program's database.
  struct stat info {};
  bool own = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::geteuid() &&
             info.st_nlink == 1;
  if (own && (info.st_mode & 07777) != 0600) own = ::fchmod(fd, 0600) == 0;
  ::close(fd);
  if (!own) return IndexFailure(ReasonKind::SearchIndexNotPrivate, file);
  const std::filesystem::path real = std::filesystem::canonical(folder, error);
  if (error) return IndexFailure(ReasonKind::SearchIndexUnusable, file, error.value());
  return (real / file.filename()).string();
}

}  // namespace palvarin
