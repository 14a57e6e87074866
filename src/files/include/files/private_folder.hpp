#pragma once

#include <filesystem>

#include "base/result.hpp"

namespace palvarin {

// The kinds a private folder fails with, each with the folder's path: it could not be made
// (with the system's error), could not be examined, or is not a real folder of this user's that
// nobody else may enter (a link, someone else's, or open to others).
struct PrivateFolderKinds {
  ReasonKind notCreated;
  ReasonKind notExamined;
  ReasonKind notPrivate;
};

// Makes `folder` (its parent must exist) with mode 0700 when missing, and checks what is there
// without following a link: whoever else could enter it could also put a link or a file of
// their own in it under a name this program writes.
Result<> MakePrivateFolder(const std::filesystem::path& folder, const PrivateFolderKinds& kinds);

}  // namespace palvarin
