#pragma once

#include <array>
#include <string>
#include <string_view>

namespace palvarin {

// The five labels of the help dialog, top to bottom, exactly as shown.
const std::array<std::string_view, 5>& HelpBlocks();

// The help as one text for the terminal: the blocks, each starting on a line of its own.
std::string HelpText();

}  // namespace palvarin
