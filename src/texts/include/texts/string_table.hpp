#pragma once

#include <string_view>

#include "job/message_id.hpp"

namespace palvarin {

// The text of a message; "\n" is a line break.
std::string_view MessageText(MessageId id);

// Caption of every message box, and the program's name in terminal messages.
inline constexpr std::string_view kApplicationName = "Palvarin";

}  // namespace palvarin
