#pragma once

#include <filesystem>
#include <string>

#include "base/result.hpp"

namespace palvarin {

// Makes the index file `file` (mode 0600) in its folder, made private (MakePrivateFolder), or
// checks the one there, neither following a link: a regular file of this user's with no other
// name. Gives the path SQLite is to open it by, the folder's real path with the file's name, so
// that no link lies on the way and SQLite can be told to follow none (SQLITE_OPEN_NOFOLLOW):
// the index holds what the histories say, and a link would have it write into whatever file or
// folder the link names. Fails with the index's `file` as the path.
Result<std::string> PrivateIndexFile(const std::filesystem::path& file);

}  // namespace palvarin
