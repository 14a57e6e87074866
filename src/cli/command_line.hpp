#pragma once

#include <string>
#include <vector>

#include "state/merge_settings.hpp"

namespace palvarin {

// What the switches asked for besides the settings they changed.
struct CommandLine {
  bool headless = false;
  bool help = false;
  bool error = false;  // an unknown argument, or a value switch without its value
  bool dryRun = false;     // "--dry-run", "/dry": merge in memory, write nothing
  bool quiet = false;      // "--quiet", "/q": say nothing but failures
  std::string reportFile;  // "--report FILE", "/report FILE": the report as JSON; empty: none
};

// Reads the arguments (without the program path) left to right and lays the switches over
// `settings`. Switches compare case-insensitively; a value switch takes the next argument
// verbatim, whatever it looks like.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments, MergeSettings& settings);

// The backup maximum of "/bm": a decimal integer, a negative one taken modulo 2^32.
std::uint32_t ParseBackupMax(const std::string& text);

}  // namespace palvarin
