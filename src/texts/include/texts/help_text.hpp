#pragma once

#include <array>
#include <string>
#include <string_view>

namespace palvarin {

// The five labels of the help dialog, top to bottom, in the language in use.
std::array<std::string_view, 5> HelpBlocks();

// The help as one text: the blocks, each starting on a line of its own.
std::string HelpText();

// The help for the terminal ("--help", and after a bad command line without windows): a usage
// line, the help text, and the long spellings of the switches.
std::string TerminalHelpText();

}  // namespace palvarin
