#pragma once

#include <filesystem>
#include <string_view>

#include "base/result.hpp"

namespace palvarin {

// The system's reason for `code`, worded so that a catalogue can translate the common ones
// (in English exactly the C library's text). Thread-safe, unlike strerror: folder jobs fail
// files on several threads.
Phrase SystemReason(int code);

// A failed Result with `code` and `pattern` (an English literal such as "cannot read {0}:
// {1}") filled with the path and the system's reason: the form of every file error shown to
// users.
Result FileFailure(std::string_view pattern, const std::filesystem::path& path, int code);

}  // namespace palvarin
