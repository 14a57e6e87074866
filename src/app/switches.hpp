#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/command_line.hpp"

namespace palvarin {

// Every switch of a command line as it was given, before the run they ask for is known.
struct Switches {
  SettingsOverlay settings;
  bool headless = false;  // "/n", or a switch that only runs without a window
  bool help = false;
  bool version = false;  // "--version"
  bool longForms = false;
  bool helpOnTerminal = false;          // "--help"
  std::optional<UsageProblem> problem;  // the first one; none when the line can be used
  bool dryRun = false;
  bool quiet = false;
  std::string reportFile;
  bool mergeUnchanged = false;
  bool rescue = false;
  std::optional<std::string> search;
  std::optional<ExportFormat> exportFormat;
  std::optional<std::string> read;
  std::optional<std::string> find;
  bool crossDevices = false;
  bool gather = false;
  std::vector<std::string> inputs;
  bool anyAccount = false;

  bool Refused() const { return problem.has_value(); }
};

// Reads the arguments left to right, each switch over those before it; the first problem is
// kept and reading goes on.
Switches ReadSwitches(const std::vector<std::string>& arguments);

// Keeps `kind` as the line's problem unless it has one already.
void Refuse(Switches& line, UsageProblem::Kind kind, std::string argument, std::string value = {});

}  // namespace palvarin
