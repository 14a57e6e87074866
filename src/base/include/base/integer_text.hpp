#pragma once

#include <cstdint>
#include <string_view>

namespace palvarin {

// Leading decimal integer of a text: white space, one sign, digits; 0 without digits.
// Saturates at the 32-bit limits.
std::int32_t LeadingInteger(std::string_view text);

}  // namespace palvarin
