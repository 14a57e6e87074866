#pragma once

#include <string>
#include <vector>

#include "state/merge_settings.hpp"

namespace palvarin {

// What the switches asked for besides the settings they changed.
struct CommandLine {
  bool headless = false;
  bool help = false;
  bool version = false;  // "--version"
  bool error = false;    // an unknown argument, or a value switch without its value
};

// Reads the arguments (without the program path) left to right and lays the switches over
// `settings`. Switches compare case-insensitively; a value switch takes the next argument
// verbatim, whatever it looks like.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments, MergeSettings& settings);

// What "--version" prints: the program and its version, then its licence.
std::string VersionText();

}  // namespace palvarin
