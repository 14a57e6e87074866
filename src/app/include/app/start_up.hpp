#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "app/front_end.hpp"
#include "state/profile_store.hpp"

namespace palvarin {

// The whole life of the process after the platform is ready: load the settings, lay the
// switches over them, and do exactly one thing. `windows` is null when no window can be shown;
// a headless run ("/n"), "--help" and a bad command line of long switches never use it.
// Returns the exit status.
int StartUp(const std::vector<std::string>& arguments, ProfileStore& profile,
            TerminalFace& terminal, FrontEnd* windows);

// How the profile at `profileFile` is to be opened for these arguments: read-only for a dry
// run, a search, the help, the version and a command line that is refused, none of which may
// even create it.
ProfileAccess ProfileAccessFor(const std::vector<std::string>& arguments,
                               const std::filesystem::path& profileFile);

}  // namespace palvarin
