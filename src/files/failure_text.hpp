#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace palvarin {

// "cannot <step> <path>: <the system's reason>", the form of every file error shown to users.
// Thread-safe, unlike strerror: folder jobs fail files on several threads.
std::string FailureText(std::string_view step, const std::filesystem::path& path, int code);

}  // namespace palvarin
