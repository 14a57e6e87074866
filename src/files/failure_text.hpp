#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "base/result.hpp"

namespace palvarin {

// "cannot <step> <path>: <the system's reason>", the form of every file error shown to users.
// Thread-safe, unlike strerror: folder jobs fail files on several threads.
std::string FailureText(std::string_view step, const std::filesystem::path& path, int code);

// A failed Result with that text and `code`.
Result FileFailure(std::string_view step, const std::filesystem::path& path, int code);

}  // namespace palvarin
