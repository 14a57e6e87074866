#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "history/log_entry.hpp"

namespace palvarin {

// What a reader of a history sees of one entry, as the file writes it: nothing is converted,
// and a field the entry lacks is none rather than empty. The views point into the document,
// which must be held while the entry is used.
struct ReadableEntry {
  std::string_view kind;  // the element name: "Message", "Invitation", ...
  std::int32_t session = -1;
  std::optional<std::string_view> date, clock;  // "Date" and "Time"
  std::optional<std::string_view> dateTime;     // "DateTime", UTC as Messenger writes it
  std::optional<std::string_view> from;         // the sender's "FriendlyName"
  std::vector<std::string_view> to;             // every recipient's "FriendlyName"
  std::optional<std::string> text;              // all character data of "Text"
  std::optional<std::string_view> style;        // the "Style" of "Text"
};

// Reads `entry`; without `withText` its "Text" is left none (and its "Style"), for a caller
// after who took part alone, which need not copy a long message.
ReadableEntry ReadReadableEntry(LogEntry entry, bool withText = true);

}  // namespace palvarin
