#pragma once

#include <string>

namespace palvarin {

// `path` as the profile keeps it: absolute (against the working folder), without "." parts,
// doubled or trailing separators. Links are kept as written, so that the path stays the one
// the user chose (a link to a synced folder stays the link); only a ".." after a link is
// resolved on the disk, as the system resolves it: dropped together with the link's name, it
// would name another place. "" stays "", and so does a path when the working folder is gone.
std::string AbsolutePath(const std::string& path);

}  // namespace palvarin
