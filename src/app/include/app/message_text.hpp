#pragma once

#include <string>
#include <string_view>

#include "app/message_id.hpp"
#include "job/refusal.hpp"

namespace palvarin {

// The text of a message; "\n" is a line break.
std::string_view MessageText(MessageId id);

// The message that tells a refusal of its kind.
MessageId MessageFor(RefusalKind kind);

// The field and path a refusal is about: "First input: /home/a/pc1".
std::string RefusalDetail(const Refusal& refusal);

// The message of a refused job, then its detail on a line of its own.
std::string RefusalText(const Refusal& refusal);

// Caption of every message box, and the program's name in terminal messages.
inline constexpr std::string_view kApplicationName = "Palvarin";

}  // namespace palvarin
