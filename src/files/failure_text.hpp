#pragma once

#include <filesystem>
#include <string_view>

#include "base/result.hpp"

namespace palvarin {

// A failed Result with `code` and "cannot <step> <path>: <the system's reason>", the form of
// every file error shown to users. Thread-safe, unlike strerror: folder jobs fail files on
// several threads.
Result FileFailure(std::string_view step, const std::filesystem::path& path, int code);

}  // namespace palvarin
