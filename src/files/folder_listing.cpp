#include "files/folder_listing.hpp"

#include <dirent.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

#include "file_failure.hpp"

namespace palvarin {

// readdir rather than std::filesystem's iterator: a folder of a thousand histories is listed
// for every search, and the iterator builds a path object for each name.
Result<std::vector<std::string>> ListFolder(const std::string& folder) {
  const std::unique_ptr<DIR, int (*)(DIR*)> listing(
      ::opendir(folder.empty() ? "." : folder.c_str()), ::closedir);
  if (!listing) return FileFailure(ReasonKind::CannotList, folder, errno);
  std::vector<std::string> names;
  errno = 0;
  while (const dirent* entry = ::readdir(listing.get())) {
    if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
      names.emplace_back(entry->d_name);
    }
    errno = 0;
  }
  if (errno != 0) return FileFailure(ReasonKind::CannotList, folder, errno);
  return names;
}

bool HasHistoryName(std::string_view name) {
  constexpr std::string_view kSuffix = ".xml";
  return name.size() > kSuffix.size() && name.ends_with(kSuffix);
}

Result<std::vector<std::string>> ListHistoryNames(const std::string& folder) {
  Result<std::vector<std::string>> names = ListFolder(folder);
  if (!names) return names;
  std::erase_if(*names, [](const std::string& name) { return !HasHistoryName(name); });
  std::sort(names->begin(), names->end());
  return names;
}

}  // namespace palvarin
