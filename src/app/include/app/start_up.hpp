#pragma once

#include <filesystem>

#include "app/command_line.hpp"
#include "app/front_end.hpp"
#include "state/profile_store.hpp"

namespace palvarin {

// The whole life of the process after the platform is ready: load the settings, lay the
// switches over them, and do the one thing `command` asks for. `windows` is null when no window
// can be shown; a headless run ("/n"), "--help" and a bad command line of long switches never
// use it. Returns the exit status.
int StartUp(Command command, ProfileStore& profile, TerminalFace& terminal, WindowFace* windows);

// How the profile at `profileFile` is to be opened for `command`: read-only for all but the
// dialog and a merge that is no dry run. A search, an export, a gather, the reader, the help,
// the version and a command line that is refused may not even create it.
ProfileAccess ProfileAccessFor(Command command, const std::filesystem::path& profileFile);

}  // namespace palvarin
