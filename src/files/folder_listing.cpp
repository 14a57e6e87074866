#include "files/folder_listing.hpp"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <memory>

#include "file_failure.hpp"
#include "files/io_faults.hpp"

namespace palvarin {
namespace {

struct CloseFolder {
  void operator()(DIR* folder) const { ::closedir(folder); }
};

// Calls `visit(name, link)` for each member of `folder` but "." and "..", `link` telling
// whether it is a symbolic link: told by the listing, or looked at where the file system does
// not tell kinds. Read with the C library's own calls: a folder job lists thousands of names
// several times, and building a path for each of them cost more than reading the folder.
template <typename Visit>
Result<> ReadFolder(const std::string& folder, Visit visit) {
  const std::string where = folder.empty() ? "." : folder;
  const std::unique_ptr<DIR, CloseFolder> listing(::opendir(where.c_str()));
  if (!listing) return FileFailure(ReasonKind::CannotList, folder, errno);
  for (std::size_t given = 0;; ++given) {
    errno = 0;
    const dirent* member = faults::ReadMember(listing.get(), given);
    if (member == nullptr) {
      if (errno != 0) return FileFailure(ReasonKind::CannotList, folder, errno);
      return {};
    }
    const std::string_view name = member->d_name;
    if (name == "." || name == "..") continue;
    bool link = member->d_type == DT_LNK;
    if (member->d_type == DT_UNKNOWN) {
      struct stat info {};
      link = ::fstatat(::dirfd(listing.get()), member->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
             S_ISLNK(info.st_mode);
    }
    visit(name, link);
  }
}

}  // namespace

Result<std::vector<std::string>> ListFolder(const std::string& folder) {
  std::vector<std::string> names;
  const Result<> read =
      ReadFolder(folder, [&names](std::string_view name, bool) { names.emplace_back(name); });
  if (!read) return Failure{read.reason()};
  return names;
}

Result<FolderMembers> ListFolderMembers(const std::string& folder) {
  FolderMembers members;
  const Result<> read = ReadFolder(folder, [&members](std::string_view name, bool link) {
    if (HasHistoryName(name)) members.histories.emplace_back(name);
    if (link) members.links.emplace_back(name);
  });
  if (!read) return Failure{read.reason()};
  std::sort(members.histories.begin(), members.histories.end());
  std::sort(members.links.begin(), members.links.end());
  return members;
}

bool HasHistoryName(std::string_view name) {
  constexpr std::string_view kSuffix = ".xml";
  return name.size() > kSuffix.size() && name.ends_with(kSuffix);
}

Result<std::vector<std::string>> ListHistoryNames(const std::string& folder) {
  std::vector<std::string> names;
  const Result<> read = ReadFolder(folder, [&names](std::string_view name, bool) {
    if (HasHistoryName(name)) names.emplace_back(name);
  });
  if (!read) return Failure{read.reason()};
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace palvarin
