#pragma once

#include <string>
#include <string_view>

namespace palvarin {

// The declarations of a "Style" an export page may apply, rebuilt from what was checked:
// font-family (letters, digits, spaces, commas, hyphens, underscores), color (#rgb, #rrggbb or
// a name of letters), font-weight, font-style and text-decoration (their keywords). Every
// other declaration, and one whose value holds anything else (a quote, a backslash, "url(",
// a parenthesis, a comment), is dropped.
std::string SafeStyle(std::string_view style);

}  // namespace palvarin
