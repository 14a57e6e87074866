#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/result.hpp"

namespace palvarin {

// The names in `folder` ("" is the current folder), in the order the file system gives them;
// fails, naming the folder, when it cannot be read to the end: a part of a listing is never
// taken for the whole.
Result<std::vector<std::string>> ListFolder(const std::string& folder);

// What a job needs of a folder, from one reading of it: the names taken for histories
// (regular files and links with HasHistoryName; see history/history_rule.hpp) and the names that
// are symbolic links, each in byte order.
struct FolderMembers {
  std::vector<std::string> histories;
  std::vector<std::string> links;
  bool operator==(const FolderMembers&) const = default;
};
// Fails as ListFolder does.
Result<FolderMembers> ListFolderMembers(const std::string& folder);

// Whether a folder's member `name` is taken for a history: "<something>.xml".
bool HasHistoryName(std::string_view name);

// The names in `folder` taken for histories, as ListFolderMembers takes them, in byte order; fails
// as ListFolder does.
Result<std::vector<std::string>> ListHistoryNames(const std::string& folder);

}  // namespace palvarin
