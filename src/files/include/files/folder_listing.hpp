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

// The names in `folder` that are symbolic links, in byte order; fails as ListFolder does.
Result<std::vector<std::string>> ListFolderLinks(const std::string& folder);

// Whether a folder's member `name` is taken for a history: "<something>.xml".
bool HasHistoryName(std::string_view name);

// The names in `folder` taken for histories (HasHistoryName), in byte order; fails as
// ListFolder does.
Result<std::vector<std::string>> ListHistoryNames(const std::string& folder);

}  // namespace palvarin
