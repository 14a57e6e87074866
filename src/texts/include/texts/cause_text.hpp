#pragma once

#include <string>

#include "base/reason.hpp"

namespace palvarin {

// What the core's `reason` says, in the language in use.
std::string Word(const Reason& reason);

// The system's reason for the error number `code`: the ones a history's files meet in
// practice translated, the rest in the C library's own words. Thread-safe, unlike strerror.
std::string SystemReason(int code);

}  // namespace palvarin
