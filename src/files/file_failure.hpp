#pragma once

#include <filesystem>

#include "base/result.hpp"

namespace palvarin {

// A failed Result of the step `kind` on `path`, with the system's error `code`: the form of
// every file error.
Result FileFailure(ReasonKind kind, const std::filesystem::path& path, int code);

}  // namespace palvarin
