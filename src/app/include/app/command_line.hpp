#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "export/export_format.hpp"
#include "state/merge_settings.hpp"

namespace palvarin {

// Why a command line cannot be used, for the terminal's one-line answer.
struct UsageProblem {
  enum class Kind {
    UnknownSwitch,       // `argument` is no switch
    MissingValue,        // the value switch `argument` came last
    UnexpectedValue,     // "--files=x": `argument` takes no value
    UnexpectedArgument,  // `argument` is no switch and no switch's value (a bare path)
    MissingPaths,        // a run without a window lacks a path it needs
    NeedsNoWindow,       // `argument` shapes a run without a window, which was not asked for
    BadNumber,           // the switch `argument` wants a whole number from 0 to 100, not `value`
    EmptySearch,         // "--search" was given no word to search for
    SearchWithoutPath,   // "--search" without "--first"
    NotWithSearch,       // `argument` shapes a merge, not a search
    BadFormat,           // "--export" takes html, text or jsonl, not `value`
    MissingExportPaths,  // an export lacks --first or --output
    NotWithRead,         // `argument` shapes a job, and "--read" opens the reader instead
    NotWithFind,         // `argument` shapes a job or a search, not "--find"
    NeedsFind,           // `argument` only shapes "--find", which was not given
    MissingGatherPaths,  // "--gather" with fewer than two "--input" or without "--output"
    InputWithoutGather,  // "--input" names a copy for "--gather", which was not asked for
    NeedsGather,         // `argument` only shapes "--gather", which was not given
  };
  Kind kind;
  std::string argument;
  std::string value;
};

// What the switches asked for besides the settings they changed.
struct CommandLine {
  bool headless = false;
  bool help = false;
  bool version = false;  // "--version"
  // A long switch ("--files") was given: the user speaks the GNU way, so problems are answered
  // in one line on the terminal and "--help" prints the help there.
  bool longForms = false;
  bool helpOnTerminal = false;          // "--help"
  std::optional<UsageProblem> problem;  // the first one; none when the line can be used
  bool dryRun = false;                  // "--dry-run", "/dry": merge in memory, write nothing
  bool quiet = false;                   // "--quiet", "/q": say nothing but failures
  std::string reportFile;       // "--report FILE", "/report FILE": the report as JSON; empty: none
  bool mergeUnchanged = false;  // "--merge-unchanged", "/mu": no unchanged skip for this job
  bool rescue = false;          // "--rescue", "/r": merge what a history that breaks off holds
  bool firstGiven = false;      // "--first", "/p1" was given, not only stored in the profile
  std::optional<std::string> search;  // "--search QUERY": search the first input instead
  // "--export=FORMAT": export the histories of the first path into the output folder, without
  // a window; none for a merge.
  std::optional<ExportFormat> exportFormat;
  // "--read[=PATH]": open the reader window on a history file or a folder of them instead;
  // empty when no PATH is given (a reader with nothing open).
  std::optional<std::string> read;
  // "--find=ROOT": list the folders under ROOT that hold histories.
  std::optional<std::string> find;
  bool crossDevices = false;  // "--cross-devices": --find walks onto other file systems too
  // "--gather": gather the copies of "--input" (given twice or more) into "--output".
  bool gather = false;
  std::vector<std::string> inputs;
  bool anyAccount = false;  // "--any-account": --gather takes copies of different accounts

  // An unknown argument, a value switch without its value, or a run of the wrong shape.
  bool Refused() const { return problem.has_value(); }
};

// Reads the arguments (without the program path) left to right and lays the switches over
// `settings`. Switches compare case-insensitively; a value switch takes the next argument
// verbatim, whatever it looks like; a long one also takes "--name=value".
CommandLine ParseCommandLine(const std::vector<std::string>& arguments, MergeSettings& settings);

// What "--version" prints: the program and its version, then its licence.
std::string VersionText();

// A problem of a run without a window that the switches alone do not show: a path it needs is
// missing from `settings` (an export's from the command line alone), or a switch that only
// such a run takes was given without "/n"; of a search, a query without words, no "--first",
// or a switch that only a merge job takes; of the reader, a switch of a job or a search; of
// "--find", a path or a switch of a job, a search or the reader.
// Sets the line's first problem.
void CheckRunShape(CommandLine& line, const MergeSettings& settings);

// Every long switch, without "--", as the parser knows them.
std::vector<std::string_view> LongSwitchNames();

}  // namespace palvarin
