#include "files/folder_listing.hpp"

#include <algorithm>
#include <filesystem>

#include "file_failure.hpp"

namespace palvarin {

Result<std::vector<std::string>> ListFolder(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code error;
  const std::filesystem::path where = folder.empty() ? "." : folder;
  std::filesystem::directory_iterator it(where, error);
  for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
    names.push_back(it->path().filename().string());
  }
  if (error) return FileFailure(ReasonKind::CannotList, folder, error.value());
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
