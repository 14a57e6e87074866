#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace palvarin {

// The declarations of a "Style" an export page may apply, rebuilt from what was checked:
// font-family (letters, digits, spaces, commas, hyphens, underscores), color (#rgb, #rrggbb or
// one of the basic colour names, with a contrast of at least 3:1 against `background`,
// 0xRRGGBB), font-weight, font-style and text-decoration (their keywords). Every other
// declaration, and one whose value holds anything else (a quote, a backslash, "url(", a
// parenthesis, a comment), is dropped.
std::string SafeStyle(std::string_view style, std::uint32_t background = 0xFFFFFF);

}  // namespace palvarin
