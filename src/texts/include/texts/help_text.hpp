#pragma once

#include <array>
#include <string>
#include <string_view>

namespace palvarin {

// The five labels of the help dialog, top to bottom, in the language in use.
std::array<std::string_view, 5> HelpBlocks();

// A block as it is shown: without the blank lines at its end, which would stand as gaps in
// the middle of the help.
std::string_view ShownHelpBlock(std::string_view block);

// The help as one text: the blocks as shown, each starting on a line of its own.
std::string HelpText();

// Every long switch, one line each: its short form, and what it does where the blocks do not
// say it. Shown under the blocks in the help dialog and on the terminal.
std::string LongSwitchHelp();

// The help for the terminal ("--help", and after a bad command line without windows): a usage
// line, the help text, and the long spellings of the switches.
std::string TerminalHelpText();

}  // namespace palvarin
