#pragma once

#include <filesystem>

#include "base/result.hpp"

namespace palvarin {

// The folder of this user's lock files, made with mode 0700 when missing: "palvarin" in
// $XDG_RUNTIME_DIR, else in /run/user/<uid>, else /tmp/palvarin-<uid>; the first whose base
// exists, so that every process of the user, with or without a desktop session, picks the same
// one. Fails unless it is a real folder (not a link) of this user that nobody else may enter.
Result<std::filesystem::path> LockFolder();

}  // namespace palvarin
