#pragma once

#include <string>
#include <string_view>

namespace palvarin {

// `text` made safe for a terminal: control characters, bidi controls and bytes that are no
// UTF-8 become visible escapes ("\n", "\x1b", "\u202e", "\xe9"), so that a file name can
// neither break a line of a report, nor steer the terminal, nor read backwards. Everything
// else, UTF-8 of any script, passes unchanged.
std::string PrintableText(std::string_view text);

}  // namespace palvarin
