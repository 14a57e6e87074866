#pragma once

#include <string>
#include <vector>

#include "app/front_end.hpp"
#include "app/terminal_front_end.hpp"

namespace palvarin {

// Exit statuses of the program.
enum ExitStatus : int { kExitDone = 0, kExitPairFailed = 1, kExitRefused = 2 };

// The whole life of the process after the platform is ready: load the settings, lay the
// switches over them, and do exactly one thing. `windows` is null when no window can be shown;
// a headless run ("/n") never uses it. Returns the exit status.
int StartUp(const std::vector<std::string>& arguments, ProfileStore& profile,
            TerminalFrontEnd& terminal, FrontEnd* windows);

}  // namespace palvarin
