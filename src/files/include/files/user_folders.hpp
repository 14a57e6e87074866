#pragma once

#include <filesystem>

namespace palvarin {

// The user's home folder: $HOME, else the one the password database names; empty when neither
// does.
std::filesystem::path HomeFolder();

// A base folder of the XDG rules: $<variable> when it is an absolute path (a relative one is
// invalid and ignored, as the rules say), else `underHome` in the home folder.
std::filesystem::path XdgBaseFolder(const char* variable, const char* underHome);

}  // namespace palvarin
