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

// Calls `visit(name, kind)` for each member of `folder` but "." and "..", `kind` its DT_
// type: told by the listing, or looked at where the file system does not tell kinds. Read with
// the C library's own calls: a folder job lists thousands of names several times, and building
// a path for each of them cost more than reading the folder.
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
    unsigned char kind = member->d_type;
    if (kind == DT_UNKNOWN) {
      struct stat info {};
      if (::fstatat(::dirfd(listing.get()), member->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0) {
        kind = S_ISLNK(info.st_mode) ? DT_LNK : S_ISREG(info.st_mode) ? DT_REG : DT_UNKNOWN;
      }
    }
    visit(name, kind);
  }
}

// Whether a member of this name and kind is taken for a history: a regular file, or a link
// (which the jobs refuse by name), of a history's name. A pipe, a device or a folder is none,
// whatever its name: reading a pipe would stall.
bool TakenForHistory(std::string_view name, unsigned char kind) {
  return (kind == DT_REG || kind == DT_LNK) && HasHistoryName(name);
}

}  // namespace

Result<std::vector<std::string>> ListFolder(const std::string& folder) {
  std::vector<std::string> names;
  const Result<> read = ReadFolder(
      folder, [&names](std::string_view name, unsigned char) { names.emplace_back(name); });
  if (!read) return Failure{read.reason()};
  return names;
}

Result<FolderMembers> ListFolderMembers(const std::string& folder) {
  FolderMembers members;
  const Result<> read = ReadFolder(folder, [&members](std::string_view name, unsigned char kind) {
    if (TakenForHistory(name, kind)) members.histories.emplace_back(name);
    if (kind == DT_LNK) members.links.emplace_back(name);
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
  const Result<> read = ReadFolder(folder, [&names](std::string_view name, unsigned char kind) {
    if (TakenForHistory(name, kind)) names.emplace_back(name);
  });
  if (!read) return Failure{read.reason()};
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace palvarin
