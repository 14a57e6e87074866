#pragma once

#include <filesystem>

#include "base/result.hpp"

namespace palvarin {

// The failure of the step `kind` on `path`, with the system's error `code`: the form of every
// file error.
Failure FileFailure(ReasonKind kind, const std::filesystem::path& path, int code);

}  // namespace palvarin
